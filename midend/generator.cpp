// The puzzle generator: designed boards, objects improved by a climb over the search's answers,
// each candidate checked for quality and the best of several kept.
#include "midend/generator.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "board/level_record.h"
#include "midend/random.h"
#include "midend/search.h"
#include "play/movement.h"
#include "play/rules.h"

namespace {

constexpr int Cells = BoardCells * BoardCells;
constexpr std::uint8_t TerrainLand = 1;
constexpr std::uint8_t TerrainWater = 2;

// Each grade's band of measures, from the shipped levels': Easy plays like levels 1 and 2 (par
// 8 and 24, 1 and 16 carries, 1 and 2 platforms moved), Medium like 3 and 4 (30 and 51, 13 and
// 22, 1 and 4), Hard like 5 (66, 36, 4), and Expert beyond level 5 on all three. Hard ends where
// Expert begins.
//                                       par       carries   moved   balls  platforms
constexpr GradeBand Bands[GradeCount] = {{8, 24, 1, 16, 1, 2, 1, 2, 1, 2},
                                         {25, 51, 12, 30, 2, 3, 1, 3, 2, 4},
                                         {52, 66, 23, 36, 3, 4, 2, 3, 3, 5},
                                         {67, 140, 37, 99, 5, 9, 2, 4, 5, 7}};
constexpr const char* GradeNames[GradeCount] = {"easy", "medium", "hard", "expert"};

// How a generation spends its effort, per grade: the candidates it finishes and keeps the best
// of, the climbing steps a candidate gets before it is given up, the steps without a better
// score after which it is given up (a climb stuck on a plateau rarely leaves it), and the states
// one search may hold.
struct Effort {
  int candidates;
  int steps;
  int patience;
  std::uint64_t searchStates;
};
constexpr Effort Efforts[GradeCount] = {
    {3, 150, 150, 5'000}, {3, 250, 250, 10'000}, {2, 400, 400, 20'000}, {2, 1500, 200, 60'000}};

constexpr char Crockford[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";

int Deficit(int x, int low, int high) {
  return x < low ? low - x : x > high ? x - high : 0;
}

bool InBand(const GradeBand& b, const LevelMeasures& m) {
  return Deficit(m.par, b.parLow, b.parHigh) == 0 &&
         Deficit(m.carries, b.carriesLow, b.carriesHigh) == 0 &&
         Deficit(m.platformsMoved, b.platformsMovedLow, b.platformsMovedHigh) == 0;
}

// The climb's aim: into the grade's band first, then as far up it as the band allows.
int Score(const GradeBand& b, const LevelMeasures& m) {
  const int away = Deficit(m.par, b.parLow, b.parHigh) * 2 +
                   Deficit(m.carries, b.carriesLow, b.carriesHigh) * 2 +
                   Deficit(m.platformsMoved, b.platformsMovedLow, b.platformsMovedHigh) * 16;
  return -away * 64 + std::min(m.par, b.parHigh) + std::min(m.carries, b.carriesHigh) +
         std::min(m.platformsMoved, b.platformsMovedHigh) * 8;
}

// The longest par a climbing step can have and still be kept: past the band's highest par each
// move costs more score than anything else can give, so a longer solution scores below `least`.
// A step's search need not look further; what it would have found is dropped all the same.
std::uint32_t LongestKept(const GradeBand& b, int least) {
  LevelMeasures best;  // the highest score there is, at the band's highest par
  best.par = b.parHigh;
  best.carries = b.carriesHigh;
  best.platformsMoved = b.platformsMovedHigh;
  const int most = Score(b, best);
  ++best.par;
  const int perMove = most - Score(b, best);  // what each move past the band costs
  return std::uint32_t(b.parHigh + std::max(0, most - least) / perMove);
}

bool IsLand(const LevelLayout& l, int cell) {
  return l.terrain[cell / BoardCells][cell % BoardCells] == TerrainLand;
}

// The cells of one kind (land or water) in groups joined side by side; each cell's group.
int Groups(const LevelLayout& l, bool land, int group[Cells], int size[Cells]) {
  std::fill(group, group + Cells, -1);
  int count = 0;
  int queue[Cells];
  for (int start = 0; start < Cells; ++start) {
    if (IsLand(l, start) != land || group[start] >= 0) continue;
    int head = 0, tail = 0;
    queue[tail++] = start;
    group[start] = count;
    while (head < tail) {
      const int c = queue[head++];
      const int x = c / BoardCells, y = c % BoardCells;
      const int next[4] = {x > 0 ? c - BoardCells : -1, y > 0 ? c - 1 : -1,
                           x < BoardCells - 1 ? c + BoardCells : -1,
                           y < BoardCells - 1 ? c + 1 : -1};
      for (const int n : next) {
        if (n < 0 || group[n] >= 0 || IsLand(l, n) != land) continue;
        group[n] = count;
        queue[tail++] = n;
      }
    }
    size[count++] = tail;
  }
  return count;
}

// A board that looks made, not scattered: a few pieces of land, none of them a speck, and no
// speck of water.
bool LooksDesigned(const LevelLayout& l) {
  int group[Cells], size[Cells];
  const int lands = Groups(l, true, group, size);
  if (lands == 0 || lands > 6) return false;
  for (int g = 0; g < lands; ++g) {
    if (size[g] < 4) return false;
  }
  const int waters = Groups(l, false, group, size);
  for (int g = 0; g < waters; ++g) {
    if (size[g] < 3) return false;
  }
  return waters > 0;
}

void FillRect(LevelLayout* l, int x, int y, int w, int h, std::uint8_t value) {
  for (int c = std::max(x, 0); c < std::min(x + w, BoardCells); ++c) {
    for (int r = std::max(y, 0); r < std::min(y + h, BoardCells); ++r) l->terrain[c][r] = value;
  }
}

int Between(Prng& prng, int low, int high) {
  return high <= low ? low : low + NextInt(prng, high - low + 1);
}

// Land and water in a few shapes: an archipelago of islands, or a harbour of pools cut into
// land with a canal out to a sea of islands.
void DesignTerrain(Prng& prng, bool open, LevelLayout* l) {
  do {
    if (open && NextInt(prng, 2) == 0) {
      FillRect(l, 0, 0, BoardCells, BoardCells, TerrainWater);
      const int islands = Between(prng, 3, 5);
      for (int i = 0; i < islands; ++i) {
        const int w = Between(prng, 2, 4), h = Between(prng, 2, 4);
        const int x = NextInt(prng, BoardCells - w + 1), y = NextInt(prng, BoardCells - h + 1);
        FillRect(l, x, y, w, h, TerrainLand);
        if (NextInt(prng, 2) == 0) {  // an arm: an L or a T
          const bool across = NextInt(prng, 2) == 0;
          FillRect(l, across ? x + w : x, across ? y : y + h, across ? Between(prng, 1, 3) : 2,
                   across ? 2 : Between(prng, 1, 3), TerrainLand);
        }
      }
    } else {
      FillRect(l, 0, 0, BoardCells, BoardCells, TerrainLand);
      // The sea along one edge, and its islands.
      const int depth = Between(prng, 4, 6);
      const int edge = NextInt(prng, 4);
      const bool columns = edge % 2 == 0;  // the sea's depth runs across columns
      const int seaX = edge == 2 ? BoardCells - depth : 0,
                seaY = edge == 3 ? BoardCells - depth : 0;
      FillRect(l, columns ? seaX : 0, columns ? 0 : seaY, columns ? depth : BoardCells,
               columns ? BoardCells : depth, TerrainWater);
      const int islands = Between(prng, 1, 2);
      for (int i = 0; i < islands; ++i) {
        const int w = Between(prng, 2, 3), h = Between(prng, 2, 3);
        const int along = NextInt(prng, BoardCells - 3);
        const int into = NextInt(prng, std::max(1, depth - 3)) + 1;
        const int ix = columns ? (edge == 0 ? into - 1 : BoardCells - into - w + 1) : along;
        const int iy = columns ? along : (edge == 1 ? into - 1 : BoardCells - into - h + 1);
        FillRect(l, ix, iy, w, h, TerrainLand);
      }
      // Pools in the land, each with a canal to the sea.
      const int pools = Between(prng, 1, 2);
      for (int p = 0; p < pools; ++p) {
        const int w = Between(prng, 3, 6), h = Between(prng, 3, 6);
        const int x = columns ? (edge == 0 ? Between(prng, depth + 1, BoardCells - w - 1)
                                           : Between(prng, 1, BoardCells - depth - w - 1))
                              : Between(prng, 1, BoardCells - w - 1);
        const int y = columns ? Between(prng, 1, BoardCells - h - 1)
                              : (edge == 1 ? Between(prng, depth + 1, BoardCells - h - 1)
                                           : Between(prng, 1, BoardCells - depth - h - 1));
        FillRect(l, x, y, w, h, TerrainWater);
        const int width = Between(prng, 1, 2);
        if (columns) {
          const int cy = y + NextInt(prng, h - width + 1);
          if (edge == 0)
            FillRect(l, 0, cy, x, width, TerrainWater);
          else
            FillRect(l, x + w, cy, BoardCells - x - w, width, TerrainWater);
        } else {
          const int cx = x + NextInt(prng, w - width + 1);
          if (edge == 1)
            FillRect(l, cx, 0, width, y, TerrainWater);
          else
            FillRect(l, cx, y + h, width, BoardCells - y - h, TerrainWater);
        }
      }
    }
  } while (!LooksDesigned(*l));
}

// The cells a platform of the type at a corner covers on the board: false when one is off the
// board, on land, or under another platform (other than `except`).
bool PlatformFits(const LevelLayout& l, int type, int column, int row, int except) {
  PlatformRecord shape;
  if (!BuildPlatformShape(&shape, type)) return false;
  for (int dx = 0; dx < 3; ++dx) {
    for (int dy = 0; dy < 3; ++dy) {
      if (shape.shape[dx][dy] != 1) continue;
      const int x = column + dx, y = row + dy;
      if (x < 0 || x >= BoardCells || y < 0 || y >= BoardCells) return false;
      if (l.terrain[x][y] == TerrainLand) return false;
      for (int n = 0; n < l.platformCount; ++n) {
        if (n == except) continue;
        PlatformRecord other;
        BuildPlatformShape(&other, l.platforms[n].type);
        const int ox = x - l.platforms[n].column, oy = y - l.platforms[n].row;
        if (ox >= 0 && ox < 3 && oy >= 0 && oy < 3 && other.shape[ox][oy] == 1) return false;
      }
    }
  }
  return true;
}

bool Occupied(const LevelLayout& l, int column, int row, int exceptBall) {
  if (l.startColumn == column && l.startRow == row) return true;
  for (int n = 0; n < l.ballCount; ++n) {
    if (n != exceptBall && l.balls[n].column == column && l.balls[n].row == row) return true;
  }
  return false;
}

// A place for platform n (of its type): tries a few, near its place or anywhere.
bool PlacePlatform(Prng& prng, LevelLayout* l, int n, bool near) {
  LevelPlatform& p = l->platforms[n];
  for (int tries = 0; tries < 24; ++tries) {
    const int column = near ? p.column + Between(prng, -3, 3) : Between(prng, -2, BoardCells - 1);
    const int row = near ? p.row + Between(prng, -3, 3) : Between(prng, -2, BoardCells - 1);
    if (column < -2 || row < -2 || column >= BoardCells || row >= BoardCells) continue;
    if (!PlatformFits(*l, p.type, column, row, n)) continue;
    p.column = std::int8_t(column);
    p.row = std::int8_t(row);
    return true;
  }
  return false;
}

bool PlaceBall(Prng& prng, LevelLayout* l, int n, bool near) {
  LevelBall& b = l->balls[n];
  for (int tries = 0; tries < 24; ++tries) {
    const int column = near ? b.column + Between(prng, -3, 3) : NextInt(prng, BoardCells);
    const int row = near ? b.row + Between(prng, -3, 3) : NextInt(prng, BoardCells);
    if (column < 0 || row < 0 || column >= BoardCells || row >= BoardCells) continue;
    if (Occupied(*l, column, row, n)) continue;
    b.column = std::int8_t(column);
    b.row = std::int8_t(row);
    return true;
  }
  return false;
}

bool PlacePlayer(Prng& prng, LevelLayout* l) {
  for (int tries = 0; tries < 48; ++tries) {
    const int cell = NextInt(prng, Cells);
    const int column = cell / BoardCells, row = cell % BoardCells;
    if (!IsLand(*l, cell) || Occupied(*l, column, row, -1)) continue;
    l->startColumn = std::int8_t(column);
    l->startRow = std::int8_t(row);
    return true;
  }
  return false;
}

// A new platform in the way: over a cell the solution carries a platform onto, so that it has
// to be moved aside first (or the way found around it).
bool Block(Prng& prng, const std::vector<int>& way, LevelLayout* l) {
  if (way.empty()) return false;
  const int cell = way[std::size_t(NextInt(prng, int(way.size())))];
  LevelPlatform& p = l->platforms[l->platformCount];
  p.type = std::int8_t(NextInt(prng, ShapeTypes));
  PlatformRecord shape;
  BuildPlatformShape(&shape, p.type);
  const int at = NextInt(prng, 9);  // the shape's cell put over it, if it is a raft cell
  if (shape.shape[at / 3][at % 3] != 1) return false;
  const int column = cell / BoardCells - at / 3, row = cell % BoardCells - at % 3;
  if (!PlatformFits(*l, p.type, column, row, -1)) return false;
  p.column = std::int8_t(column);
  p.row = std::int8_t(row);
  ++l->platformCount;
  return true;
}

// One change to the level; false when none could be made (the level is left as it was). `way`
// holds the cells the current solution carries platforms onto.
bool Mutate(Prng& prng, const GradeBand& band, const std::vector<int>& way, LevelLayout* l) {
  const int kind = NextInt(prng, 100);
  if (kind < 8 && l->platformCount < band.platformsHigh) return Block(prng, way, l);
  if (kind < 30) {
    // One draw after the other, never two in one call's arguments (whose order compilers
    // choose): the nearness first, as the puzzles named so far were made.
    const bool near = NextInt(prng, 2) == 0;
    return PlaceBall(prng, l, NextInt(prng, l->ballCount), near);
  }
  if (kind < 58 && l->platformCount > 0) {
    const bool near = NextInt(prng, 2) == 0;
    return PlacePlatform(prng, l, NextInt(prng, l->platformCount), near);
  }
  if (kind < 66 && l->platformCount > 0) {
    const int n = NextInt(prng, l->platformCount);
    const int type = NextInt(prng, ShapeTypes);
    if (!PlatformFits(*l, type, l->platforms[n].column, l->platforms[n].row, n)) return false;
    l->platforms[n].type = std::int8_t(type);
    return true;
  }
  if (kind < 74) {
    if (l->platformCount < band.platformsHigh && NextInt(prng, 2) == 0) {
      LevelPlatform& p = l->platforms[l->platformCount];
      p.type = std::int8_t(NextInt(prng, ShapeTypes));
      ++l->platformCount;
      if (PlacePlatform(prng, l, l->platformCount - 1, false)) return true;
      --l->platformCount;
      return false;
    }
    if (l->platformCount <= band.platformsLow) return false;
    LeaveOutObject(l, l->ballCount + NextInt(prng, l->platformCount));
    return true;
  }
  if (kind < 80) {
    if (l->ballCount < band.ballsHigh && NextInt(prng, 2) == 0) {
      ++l->ballCount;
      if (PlaceBall(prng, l, l->ballCount - 1, false)) return true;
      --l->ballCount;
      return false;
    }
    if (l->ballCount <= band.ballsLow) return false;
    LeaveOutObject(l, NextInt(prng, l->ballCount));
    return true;
  }
  if (kind < 88) return PlacePlayer(prng, l);
  // The terrain: a small block at the shore turns to the other kind, if the board still looks
  // made and no object is left on land it cannot stand on.
  const LevelLayout before = *l;
  const int w = Between(prng, 1, 2), h = Between(prng, 1, 2);
  const int x = NextInt(prng, BoardCells - w + 1), y = NextInt(prng, BoardCells - h + 1);
  const std::uint8_t to = IsLand(*l, x * BoardCells + y) ? TerrainWater : TerrainLand;
  FillRect(l, x, y, w, h, to);
  bool fine = LooksDesigned(*l) && IsLand(*l, l->startColumn * BoardCells + l->startRow);
  for (int n = 0; fine && n < l->platformCount; ++n) {
    fine = PlatformFits(*l, l->platforms[n].type, l->platforms[n].column, l->platforms[n].row, n);
  }
  if (!fine) *l = before;
  return fine;
}

void MakeRecord(const LevelLayout& l, std::uint8_t record[LevelRecordSize]) {
  std::memset(record, ListEnd, LevelRecordSize);
  EncodeLevelRecord(l, record);
}

void MakeLevel(const LevelLayout& l, Level* level) {
  std::uint8_t record[LevelRecordSize];
  MakeRecord(l, record);
  SetUpLevel(record, level);
}

// Moves of the shortest walk between two cells on the level's start board, with one cell barred
// (-1: none); -1 when there is none.
int StartWalk(const Level& level, int from, int to, int barred) {
  Board board;
  BuildBoard(level, StartState(level), &board);
  int dist[Cells];
  std::fill(dist, dist + Cells, -1);
  int queue[Cells], head = 0, tail = 0;
  dist[from] = 0;
  queue[tail++] = from;
  while (head < tail) {
    const int c = queue[head++];
    if (c == to) return dist[c];
    const int x = c / BoardCells, y = c % BoardCells;
    const int next[4] = {x > 0 ? c - BoardCells : -1, y > 0 ? c - 1 : -1,
                         x < BoardCells - 1 ? c + BoardCells : -1, y < BoardCells - 1 ? c + 1 : -1};
    for (const int n : next) {
      if (n < 0 || n == barred || dist[n] >= 0) continue;
      if (!WalksOnto(board.cell[n / BoardCells][n % BoardCells])) continue;
      dist[n] = dist[c] + 1;
      queue[tail++] = n;
    }
  }
  return -1;
}

// True when a ball is taken without thought: one that lies on every shortest walk from the
// start to where the solution's first carry begins.
bool BallOnTheWay(const Level& level, const std::string& moves) {
  GameState state = StartState(level);
  for (const char m : moves) {
    const int at = int(CellOf(state.playerX) * BoardCells + CellOf(state.playerY));
    GameState next = state;
    const RuleEvents events = MakeMove(level, &next, MoveDirection(m));
    if (events.carried) {
      const int start = int(CellOf(level.startX) * BoardCells + CellOf(level.startY));
      const int straight = StartWalk(level, start, at, -1);
      for (int n = 0; n < level.ballCount; ++n) {
        const int ball = int(CellOf(level.ballX[n]) * BoardCells + CellOf(level.ballY[n]));
        if (!(state.ballsLying & (1u << n)) && ball != at) {
          const int around = StartWalk(level, start, at, ball);
          if (around < 0 || around > straight) return true;
        }
      }
      return false;
    }
    state = next;
  }
  return false;
}

}  // namespace

const GradeBand& BandOf(Grade grade) {
  return Bands[int(grade)];
}

const char* GradeName(Grade grade) {
  return GradeNames[int(grade)];
}

bool GradeNamed(const std::string& name, Grade* grade) {
  for (int g = 0; g < GradeCount; ++g) {
    if (name == GradeNames[g]) {
      *grade = Grade(g);
      return true;
    }
  }
  return false;
}

std::string PuzzleName(Grade grade, std::uint64_t seed) {
  std::string digits;
  for (int i = 0; i < 5; ++i, seed /= 32) digits.insert(digits.begin(), Crockford[seed % 32]);
  return std::string(GradeName(grade)) + "-" + digits;
}

bool ParsePuzzleName(const std::string& name, Grade* grade, std::uint64_t* seed) {
  const std::size_t dash = name.find('-');
  if (dash == std::string::npos || name.size() != dash + 6) return false;
  if (!GradeNamed(name.substr(0, dash), grade)) return false;
  std::uint64_t value = 0;
  for (std::size_t i = dash + 1; i < name.size(); ++i) {
    char c = name[i];
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    // Crockford's base 32 reads the letters people mistake for digits as those digits.
    if (c == 'O') c = '0';
    if (c == 'I' || c == 'L') c = '1';
    const char* at = std::strchr(Crockford, c);
    if (c == '\0' || at == nullptr) return false;
    value = value * 32 + std::uint64_t(at - Crockford);
  }
  *seed = value;
  return true;
}

std::uint64_t DailySeed(int year, int month, int day) {
  Prng prng =
      SeededPrng(std::uint64_t(year) * 10000 + std::uint64_t(month) * 100 + std::uint64_t(day));
  return NextBits(prng) & MaxSeed;
}

// The generation as a machine that stops between searches: each step either starts the search
// its decision needs or takes that search's answer.
struct Generator::Impl {
  enum class Phase : std::uint8_t { Design, Climb, Check, Done };
  // What the running search is asked for.
  enum class Asked : std::uint8_t { Nothing, Design, Climb, WithoutCarry, Without };

  Grade grade = Grade::Easy;
  GradeBand band{};
  // The band the climb aims at now: an Expert climb aims at Hard's first, then beyond.
  GradeBand aim{};
  Effort effort{};
  Prng prng{0};
  Phase phase = Phase::Design;
  Asked asked = Asked::Nothing;
  Search search;
  std::uint64_t expandedBefore = 0;

  LevelLayout current, trial;
  LevelMeasures currentMeasures;
  std::string currentMoves;
  std::vector<int> way;  // cells the current solution carries a platform onto
  int currentScore = 0;
  int step = 0;      // climbing steps of this candidate
  int gained = 0;    // the step that last raised its score
  int finished = 0;  // candidates that passed every check
  int started = 0;   // candidates designed
  int without = 0;   // the object the Without check leaves out: balls first, then platforms
  bool haveBest = false;
  int bestScore = 0;
  Puzzle best;

  void Ask(const LevelLayout& l, Asked what, bool allowCarry = true, std::uint32_t maxMoves = 0) {
    Level level;
    MakeLevel(l, &level);
    SearchOptions options;
    options.maxStates = effort.searchStates;
    options.allowCarry = allowCarry;
    options.maxMoves = maxMoves;
    // A code names the same puzzle in every build: the search keeps the estimate and the order
    // the puzzles were first made with (a stronger estimate, or another order, takes equal
    // solutions in another order and stops sooner).
    options.platformBounds = false;
    options.nearestFirst = false;
    search.Start(level, StartState(level), options);
    expandedBefore = 0;
    asked = what;
  }

  // The current level and what its search found become the ones the climb goes on from.
  void Take(const LevelLayout& l, const SearchResult& r) {
    current = l;
    Measure(l, r, &currentMeasures);
    currentMoves = r.moves;
    currentScore = Score(aim, currentMeasures);
    Level level;
    MakeLevel(l, &level);
    GameState state = StartState(level);
    way.clear();
    for (const char m : currentMoves) {
      const RuleEvents events = MakeMove(level, &state, MoveDirection(m));
      if (!events.carried) continue;
      way.push_back(int(CellOf(state.playerX) * BoardCells + CellOf(state.playerY)));
    }
  }

  void Measure(const LevelLayout& l, const SearchResult& r, LevelMeasures* m) {
    Level level;
    MakeLevel(l, &level);
    *m = LevelMeasures{};
    m->outcome = r.outcome;
    m->effort = r.states;
    MeasureSolution(level, StartState(level), r.moves, m);
  }

  // Decides what to do next and asks the search for it.
  void Decide();
  void Answered(Asked what, const SearchResult& r);
  void BeginChecks();
  void NextCheck();
  void Finish();
};

void Generator::Impl::Decide() {
  switch (phase) {
    case Phase::Design: {
      ++started;
      current = LevelLayout{};
      aim = band;
      if (grade == Grade::Expert) {
        aim = Bands[int(Grade::Hard)];
        aim.platformsHigh = band.platformsHigh;
        aim.ballsHigh = band.ballsHigh;
      }
      DesignTerrain(prng, grade != Grade::Expert, &current);
      PlacePlayer(prng, &current);
      current.platformCount = aim.platformsLow;
      for (int n = 0; n < current.platformCount; ++n) {
        current.platforms[n].type = std::int8_t(NextInt(prng, ShapeTypes));
        if (!PlacePlatform(prng, &current, n, false)) current.platformCount = n;
      }
      // The first ball where the Player can walk: solvable from the start, and the climb takes
      // it further.
      current.ballCount = 1;
      current.balls[0] = {current.startColumn, current.startRow};
      for (int tries = 0; tries < 16; ++tries) {
        PlaceBall(prng, &current, 0, true);
        if (IsLand(current, current.balls[0].column * BoardCells + current.balls[0].row)) break;
      }
      Ask(current, Asked::Design);
      return;
    }
    case Phase::Climb:
      if (step >= effort.steps || step - gained >= effort.patience) {
        phase = Phase::Design;
        Decide();
        return;
      }
      ++step;
      trial = current;
      while (!Mutate(prng, aim, way, &trial)) {
      }
      Ask(trial, Asked::Climb, true, LongestKept(aim, currentScore));
      return;
    case Phase::Check:
      NextCheck();
      return;
    case Phase::Done:
      return;
  }
}

void Generator::Impl::Answered(Asked what, const SearchResult& r) {
  const bool solved = r.outcome == SearchOutcome::Solved;
  switch (what) {
    case Asked::Design:
      if (!solved) {
        phase = Phase::Design;
        return;
      }
      Take(current, r);
      phase = Phase::Climb;
      step = gained = 0;
      return;
    case Asked::Climb: {
      if (!solved) return;
      LevelMeasures m;
      Measure(trial, r, &m);
      const int score = Score(aim, m);
      if (score < currentScore) return;
      if (score > currentScore) gained = step;
      Take(trial, r);
      if (InBand(aim, m) && aim.parLow < band.parLow) {
        aim = band;
        currentScore = Score(aim, currentMeasures);
        gained = step;
      }
      if (InBand(band, m)) BeginChecks();
      return;
    }
    case Asked::WithoutCarry:
      // A level solvable by walking alone is no puzzle: climb on.
      if (solved) {
        phase = Phase::Climb;
        return;
      }
      without = 0;
      return;
    case Asked::Without:
      if (solved && int(r.moves.size()) == currentMeasures.par) {
        // The object left out does not matter: the level without it (the trial) goes on climbing.
        Take(trial, r);
        phase = Phase::Climb;
        return;
      }
      ++without;
      return;
    case Asked::Nothing:
      return;
  }
}

void Generator::Impl::BeginChecks() {
  Level level;
  MakeLevel(current, &level);
  if (current.ballCount < band.ballsLow || current.platformCount < band.platformsLow ||
      BallOnTheWay(level, currentMoves)) {
    return;  // not yet: the climb goes on
  }
  phase = Phase::Check;
  Ask(current, Asked::WithoutCarry, false);
}

void Generator::Impl::NextCheck() {
  if (without < current.ballCount + current.platformCount) {
    trial = current;
    LeaveOutObject(&trial, without);
    Ask(trial, Asked::Without, true, std::uint32_t(currentMeasures.par));
    return;
  }
  Finish();
}

void Generator::Impl::Finish() {
  ++finished;
  if (!haveBest || currentScore > bestScore) {
    haveBest = true;
    bestScore = currentScore;
    MakeRecord(current, best.record);
    best.measures = currentMeasures;
    best.moves = currentMoves;
  }
  phase = finished >= effort.candidates ? Phase::Done : Phase::Design;
}

Generator::Generator() : impl_(std::make_unique<Impl>()) {}
Generator::~Generator() = default;

void Generator::Start(Grade grade, std::uint64_t seed) {
  Impl& g = *impl_;
  g.grade = grade;
  g.band = Bands[int(grade)];
  g.effort = Efforts[int(grade)];
  g.prng = SeededPrng(seed * GradeCount + std::uint64_t(grade) + 0x5945'4C4B'4F00ull);
  g.phase = Impl::Phase::Design;
  g.asked = Impl::Asked::Nothing;
  g.step = g.finished = g.started = g.without = 0;
  g.haveBest = false;
  g.best = Puzzle{};
  g.best.grade = grade;
  g.best.seed = seed;
}

bool Generator::Run(std::uint64_t budget) {
  Impl& g = *impl_;
  while (g.phase != Impl::Phase::Done) {
    if (g.asked == Impl::Asked::Nothing) {
      g.Decide();
      continue;
    }
    if (budget == 0) return false;
    const bool ended = g.search.Run(std::min<std::uint64_t>(budget, 1u << 16));
    const std::uint64_t used = g.search.result().expanded - g.expandedBefore;
    g.expandedBefore = g.search.result().expanded;
    budget -= std::min(budget, std::max<std::uint64_t>(used, 1));
    if (!ended) continue;
    const Impl::Asked what = g.asked;
    g.asked = Impl::Asked::Nothing;
    const SearchResult answer = g.search.result();
    g.Answered(what, answer);
  }
  return true;
}

int Generator::Progress() const {
  const Impl& g = *impl_;
  if (g.phase == Impl::Phase::Done) return 1000;
  const int per = g.effort.steps + 1;
  const int done = g.finished * per + std::min(g.step, per - 1);
  return std::min(999, done * 1000 / (g.effort.candidates * per));
}

const Puzzle& Generator::puzzle() const {
  return impl_->best;
}

Puzzle GeneratePuzzle(Grade grade, std::uint64_t seed) {
  Generator generator;
  generator.Start(grade, seed);
  while (!generator.Run(1u << 20)) {
  }
  return generator.puzzle();
}
