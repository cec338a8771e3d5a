// The search over what matters: states after each carry or ball taken, edges of walks plus one
// step, taken in order of moves plus an estimate of the moves left.
#include "midend/search.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "midend/search_bound.h"
#include "midend/search_store.h"
#include "midend/search_table.h"
#include "play/movement.h"
#include "play/rules.h"

// How the search stays the game's: the walks it counts are the rules' walk (WalksOnto, the test
// DecideMove makes), and every carry is MakeMove itself; balls are taken where the rules take
// them, by the Player arriving on their cell, walking or carrying.
//
// Platforms of one type are interchangeable: a key keeps their positions sorted, so that two
// states that differ only in which slot holds which position are one. That is safe only if the
// rules treat slots alike. They do, except where two platforms cover the same cell: then
// FindPlatformUnderPlayer picks the higher slot. A move never makes such an overlap (a platform
// moves only onto open water), so a level that starts without overlapping platforms never has
// any. A level that starts with an overlap is searched with its slots as they are.

namespace {

constexpr int Cells = BoardCells * BoardCells;

using namespace search_store;

// A stored state: its key, the moves it was reached in, and how: enough to find the state it
// came from again (its Player's cell, the step's direction, which key byte the step moved and
// whether it took balls), so that no parent index need be kept. Stored packed: the key's bytes
// in use, then g and link, 2 bytes each (10 bytes a state with four platforms, 16 with ten).
struct Entry {
  Key key;
  std::uint16_t g;     // moves from the start; the top bit marks a state already expanded
  std::uint16_t link;  // see MakeLink
};
constexpr std::uint16_t Expanded = 0x8000;
constexpr std::uint16_t StartLink = 0x8000;
constexpr int NoByte = 15;
constexpr std::uint16_t MaxMoves = 0x7FFF;

std::uint16_t MakeLink(int parentCell, int direction, int movedByte, bool taken) {
  return std::uint16_t(parentCell | (direction - 1) << 8 |
                       (movedByte < 0 ? NoByte : movedByte - FirstPlatformByte) << 10 |
                       (taken ? 1 : 0) << 14);
}
int LinkParentCell(std::uint16_t link) {
  return link & 0xFF;
}
int LinkDirection(std::uint16_t link) {
  return ((link >> 8) & 3) + 1;
}
int LinkMovedByte(std::uint16_t link) {
  const int m = (link >> 10) & 15;
  return m == NoByte ? -1 : m + FirstPlatformByte;
}
bool LinkTook(std::uint16_t link) {
  return (link >> 14) & 1;
}

constexpr char MoveLetters[] = "LURD";  // DirLeft..DirDown

// A set of cells as bits: column c, row r is bit c * 16 + r, each column a 16-bit lane of which
// rows 0..13 are used, four lanes a word. Moving a whole set one cell is a few shifts.
struct Bits {
  std::uint64_t w[4] = {};
};
constexpr std::uint64_t LaneRows = 0x3FFF3FFF3FFF3FFFull;
constexpr std::uint64_t LastWordRows = 0x00003FFF3FFF3FFFull;  // columns 12 and 13, and none after
int BitOf(int cell) {
  return cell / BoardCells * 16 + cell % BoardCells;
}
int CellOfBit(int bit) {
  return bit / 16 * BoardCells + bit % 16;
}
void SetBit(Bits* b, int cell) {
  const int i = BitOf(cell);
  b->w[i / 64] |= std::uint64_t(1) << (i % 64);
}
bool HasBit(const Bits& b, int cell) {
  const int i = BitOf(cell);
  return (b.w[i / 64] >> (i % 64)) & 1;
}
// The cells of `open` next to the set's. (`open` holds only cells of the board, so what a shift
// carries into a lane's spare rows, or past the last column, falls away with it.)
[[gnu::always_inline]] inline Bits Around(const Bits& b, const Bits& open) {
  // Up and down within a lane, left and right a lane over (the next word's first lane, the
  // previous word's last), written out word by word.
  const std::uint64_t* w = b.w;
  const auto spread = [](std::uint64_t v) { return v >> 1 | v << 1 | v >> 16 | v << 16; };
  return Bits{{(spread(w[0]) | w[1] << 48) & open.w[0],
               (spread(w[1]) | w[0] >> 48 | w[2] << 48) & open.w[1],
               (spread(w[2]) | w[1] >> 48 | w[3] << 48) & open.w[2],
               (spread(w[3]) | w[2] >> 48) & open.w[3]}};
}
// The cells the set's cells step onto in a direction (DirLeft..DirDown at 0..3).
[[gnu::always_inline]] inline Bits Stepped(const Bits& b, int d) {
  Bits r;
  for (int i = 0; i < 4; ++i) {
    std::uint64_t v;
    switch (d) {
      case 0:
        v = (b.w[i] >> 16) | (i < 3 ? b.w[i + 1] << 48 : 0);
        break;
      case 1:
        v = b.w[i] >> 1;
        break;
      case 2:
        v = (b.w[i] << 16) | (i > 0 ? b.w[i - 1] >> 48 : 0);
        break;
      default:
        v = b.w[i] << 1;
        break;
    }
    r.w[i] = v & (i < 3 ? LaneRows : LastWordRows);
  }
  return r;
}
// Calls f(cell) for each cell of the set, in the order of their cells.
template <typename F>
void EachCell(const Bits& b, F f) {
  for (int i = 0; i < 4; ++i) {
    for (std::uint64_t v = b.w[i]; v != 0; v &= v - 1) f(CellOfBit(i * 64 + __builtin_ctzll(v)));
  }
}

}  // namespace

struct Search::Impl {
  Level level;
  SearchOptions options;
  GameState base;  // the start, with the platforms kept out of the key where they stand
  int slotByte[MaxPlatformsInRecord];
  // Key bytes of the platforms of one type, kept sorted; empty when that is not safe.
  std::vector<std::vector<int>> groups;
  std::uint8_t ballsAt[Cells];  // balls lying on each cell
  std::uint8_t allBalls = 0;
  // The estimate: the shortest walk, cell by cell as if the board were all land, from the
  // Player through every ball still lying. No solution is shorter, and one move changes it by
  // at most one, so the first solved state the search takes is reached by a shortest solution.
  std::uint8_t estimate[Cells][1 << MaxBallsInRecord];
  // And over it, each platform bound's moves (see search_bound.h), by the key bytes that may hold
  // its place: its own, or those of every platform of its type when the key keeps them sorted
  // (the platform is at one of their corners, so the least of them is a bound).
  std::shared_ptr<PlatformBounds> bounds;
  struct BoundAt {
    const PlatformBound* bound;
    std::vector<int> bytes[2];  // per platform of its game
    bool single = false;        // each platform of its game has one byte (the usual case)
  };
  std::vector<BoundAt> boundBytes;
  bool boundsWaiting = false;  // the tables are still being made: the search waits for them
  Key startKey{};
  // Makes the tables for at most `budget` states' worth of time; once made, they are put to use
  // and the start is asked whether it is lost. Returns the states' worth it took.
  std::uint64_t Bounds(std::uint64_t budget, SearchResult* result) {
    std::uint64_t used = 0;
    const bool made = MakePlatformBounds(bounds, budget * EntriesPerState, &used);
    if (!made) return budget;
    boundsWaiting = false;
    for (const PlatformBound& bound : bounds->tables) {
      BoundAt at{&bound, {}};
      bool keyed = true;  // every platform of its game has a place in the key
      for (int k = 0; k < bound.count; ++k) {
        const int byte = slotByte[bound.slot[k]];
        keyed = keyed && byte >= 0;
        at.bytes[k] = {byte};
        for (const std::vector<int>& group : groups) {
          if (std::find(group.begin(), group.end(), byte) != group.end()) at.bytes[k] = group;
        }
      }
      at.single = at.bytes[0].size() == 1 && (bound.count == 1 || at.bytes[1].size() == 1);
      if (keyed) boundBytes.push_back(std::move(at));
    }
    if (Estimate(startKey) == Lost) result->outcome = SearchOutcome::Unsolvable;
    return std::min(budget, used / EntriesPerState);
  }

  Blocks<13> entries;  // packed, keyBytes + 4 bytes each
  int keyBytes = 12;
  std::uint32_t keyMask[3] = {};  // the bytes of a key's words in use
  IndexTable table;

  // The states expanded, grouped by where the platforms are and which balls lie. A state whose
  // cell an earlier state of its group reaches as cheaply, walking (the moves to it no more
  // than this state's), is not expanded: whatever it could do, the earlier state does as
  // cheaply.
  // A group is stored as its key (its Player's byte 0), packed as a state's, then the newest of
  // its expansions + 1 (4 bytes).
  struct __attribute__((packed)) Expansion {
    std::uint8_t cell;
    std::uint16_t g;
    std::uint32_t next;  // the expansion before it in the same region, + 1
  };
  static_assert(sizeof(Expansion) == 7);
  Blocks<12> regions;
  IndexTable regionTable;
  RecordBlocks<Expansion, 13> expansions;
  // By moves plus estimate, and among states of one sum the nearest to an end first: the last
  // sum holds many states, and those nearest the end lead to it soonest. Nearness is the estimate
  // in steps of EstimateStep moves: in finer steps the states reached in more moves come first
  // even where they lead nowhere sooner, and fewer of them are passed over for a state of their
  // region reached in fewer moves (level 5's slowest hints took 5 % more work in steps of one).
  OpenQueue open;
  std::size_t bucket = 0;  // the least key queued: sum * EstimateKeys + estimate / EstimateStep
  static constexpr std::size_t EstimateKeys = 32, EstimateStep = 4;
  bool Queue(int g, int h, std::uint32_t index) {
    const std::size_t near =
        options.nearestFirst ? std::min(std::size_t(h) / EstimateStep, EstimateKeys - 1) : 0;
    const std::size_t key = std::size_t(g + h) * EstimateKeys + near;
    bucket = std::min(bucket, key);  // a state of the same sum nearer the end comes next
    return open.Push(key, index);
  }

  // The walk of the state being expanded: the cells first reached after each number of moves.
  Bits layers[Cells];
  int layerCount = 0;
  int DistOf(int cell) const {
    for (int k = 0; k < layerCount; ++k) {
      if (HasBit(layers[k], cell)) return k;
    }
    return MaxMoves;
  }
  // Each cell's neighbour in each direction (DirLeft..DirDown at 0..3), -1 off the board.
  std::int16_t neighbour[Cells][4];
  // The walk search's scratch: cells seen in the current walk carry its stamp.
  std::uint32_t stamp[Cells] = {};
  std::uint32_t stampNow = 0;
  std::uint16_t dist[Cells];
  std::uint8_t from[Cells];
  std::uint8_t order[Cells];

  // The state the board shows now, to build it again only when the platforms change, and the
  // board as sets of cells.
  GameState shown;
  Board board;
  Key shownKey{};
  Bits land, walkable, water, platforms;
  int ballCells[MaxBallsInRecord];
  int ballCellCount = 0;

  bool running = false;

  // Empties the search's memory. With `keep`, what a hint's search needs stays for the next
  // search, the rest (a big check's) goes back to the system.
  void Clear(bool keep) {
    entries.Clear(entries.stride, keep ? 32 : 0);
    table.Clear(keep ? 1 << 18 : 0);
    regions.Clear(regions.stride, keep ? 8 : 0);
    regionTable.Clear(keep ? 1 << 15 : 0);
    expansions.Clear(keep ? 16 : 0);
    open.Clear(keep ? 256 : 0);
    if (!keep) {
      open.Free();
      bounds.reset();
    }
  }

  // The cells platform n covers at a packed corner, worked out when first asked for; and those
  // of the platforms the key leaves where they stand.
  Bits cellsAt[MaxPlatformsInRecord][256];
  bool cellsMade[MaxPlatformsInRecord][256];
  Bits unkeyedPlatforms;
  const Bits& CellsOf(int n, std::uint8_t corner) {
    Bits& cells = cellsAt[n][corner];
    if (cellsMade[n][corner]) return cells;
    cellsMade[n][corner] = true;
    cells = Covered(n, corner / 16 + CornerLow, corner % 16 + CornerLow);
    return cells;
  }
  Bits Covered(int n, std::int64_t column, std::int64_t row) const {
    Bits cells;
    EachCoveredCell(level.platform[n], column, row,
                    [&](int x, int y) { SetBit(&cells, x * BoardCells + y); });
    return cells;
  }

  // Puts the key's Player, balls and platforms into `shown`, and its board into `board`.
  void Show(const Key& key) {
    if (shownKey.b[PlayerByte] == 0 ||
        std::memcmp(shownKey.b + FirstPlatformByte, key.b + FirstPlatformByte,
                    sizeof key.b - FirstPlatformByte) != 0) {
      for (std::int32_t n = 0; n < level.platformCount; ++n) {
        const int at = slotByte[n];
        if (at < 0) continue;
        shown.platformX[n] = (key.b[at] / 16 + CornerLow) * CellPixels;
        shown.platformY[n] = (key.b[at] % 16 + CornerLow) * CellPixels;
      }
      BuildBoard(level, shown, &board);
      platforms = unkeyedPlatforms;
      for (std::int32_t n = 0; n < level.platformCount; ++n) {
        if (slotByte[n] < 0) continue;
        const Bits& cells = CellsOf(n, key.b[slotByte[n]]);
        for (int i = 0; i < 4; ++i) platforms.w[i] |= cells.w[i];
      }
      for (int i = 0; i < 4; ++i) {
        walkable.w[i] = land.w[i] | platforms.w[i];
        water.w[i] = (i < 3 ? LaneRows : LastWordRows) & ~walkable.w[i];
      }
    }
    shownKey = key;
    const int cell = key.b[PlayerByte] - 1;
    shown.playerX = cell / BoardCells * CellPixels;
    shown.playerY = cell % BoardCells * CellPixels;
    shown.ballsLying = key.b[BallsByte];
    shown.movement = Movement{};
  }

  std::uint64_t BytesHeld() const {
    return entries.Bytes() + table.Bytes() + open.Bytes() + regions.Bytes() + regionTable.Bytes() +
           expansions.Bytes() + sizeof estimate + (bounds ? PlatformBoundBytes(*bounds) : 0);
  }

  // A key stored packed: its bytes in use read whole (a block has room to read past its last
  // record), the rest masked off.
  Key PackedKey(const std::uint8_t* at) const {
    std::uint32_t w[3];
    std::memcpy(w, at, sizeof w);
    for (int k = 0; k < 3; ++k) w[k] &= keyMask[k];
    Key key;
    std::memcpy(key.b, w, sizeof w);
    return key;
  }
  Key KeyAt(std::size_t i) const { return PackedKey(entries.At(i)); }
  std::uint16_t GAt(std::size_t i) const {
    std::uint16_t g;
    std::memcpy(&g, entries.At(i) + keyBytes, 2);
    return g;
  }
  void SetG(std::size_t i, std::uint16_t g) { std::memcpy(entries.At(i) + keyBytes, &g, 2); }
  std::uint16_t LinkAt(std::size_t i) const {
    std::uint16_t link;
    std::memcpy(&link, entries.At(i) + keyBytes + 2, 2);
    return link;
  }
  void SetLink(std::size_t i, std::uint16_t link) {
    std::memcpy(entries.At(i) + keyBytes + 2, &link, 2);
  }
  // A group's newest expansion + 1.
  std::uint32_t Newest(std::uint32_t group) const {
    std::uint32_t x;
    std::memcpy(&x, regions.At(group) + keyBytes, 4);
    return x;
  }
  void SetNewest(std::uint32_t group, std::uint32_t x) {
    std::memcpy(regions.At(group) + keyBytes, &x, 4);
  }
  Entry EntryAt(std::size_t i) const { return {KeyAt(i), GAt(i), LinkAt(i)}; }
  // Stores a state as the newest (its key written whole: nothing is stored after it yet).
  bool Append(const Key& key, std::uint16_t g, std::uint16_t link) {
    if (!entries.Room()) return false;
    std::memcpy(entries.At(entries.size), key.b, sizeof key.b);
    SetG(entries.size, g);
    SetLink(entries.size, link);
    ++entries.size;
    return true;
  }

  // The slot of the key in the table, or the empty one where it would go.
  std::uint64_t Slot(const Key& key) const {
    return table.Find(HashKey(key), [&](std::uint32_t i) { return SameKey(KeyAt(i), key); });
  }
  // Room in the table for one more state; false when the memory cannot be had.
  bool TableRoom() {
    return table.Room(entries.size, [&](std::size_t i) { return HashKey(KeyAt(i)); });
  }

  // Lost: no solution is left from the state.
  static constexpr int Lost = 1 << 20;
  int Estimate(const Key& key) const {
    const int cell = key.b[PlayerByte] - 1;
    const std::uint8_t lying = key.b[BallsByte];
    int h = estimate[cell][lying];
    for (const BoundAt& at : boundBytes) {
      int v = PlatformBound::Lost;
      std::uint8_t corners[2];
      if (at.single) {
        // The usual case, looked up without the loops below (they cost a hard hint 3 % more).
        corners[0] = key.b[at.bytes[0][0]];
        if (at.bound->count == 2) corners[1] = key.b[at.bytes[1][0]];
        v = at.bound->At(corners, cell, lying);
        if (v == PlatformBound::Lost) return Lost;
        h = std::max(h, v);
        continue;
      }
      for (const int first : at.bytes[0]) {
        corners[0] = key.b[first];
        if (at.bound->count == 1) {
          v = std::min(v, at.bound->At(corners, cell, lying));
          continue;
        }
        for (const int second : at.bytes[1]) {
          corners[1] = key.b[second];
          if (second != first) v = std::min(v, at.bound->At(corners, cell, lying));
        }
      }
      if (v == PlatformBound::Lost) return Lost;
      h = std::max(h, v);
    }
    return h;
  }

  bool Describe(const GameState& from, Key* start);
  void MakeEstimate();
  // The walks over each platform's own cells, and each cell's neighbours.
  void MakeTables();
  bool UnreachableBall() const;
  // Adds the state reached (or a shorter way to it); false when the search must give up.
  bool Reach(const Key& key, int g, std::uint16_t link, SearchResult* result);
  bool Expand(std::uint32_t index, SearchResult* result);
  int Walk(int fromCell, std::uint8_t lying);
  // True when the region of the walk just made (named by its smallest cell) was already expanded
  // from a state that reaches this one's cell as cheaply (or the search must give up); else the
  // state joins its region.
  // The group of the key's platforms and balls (+ 1; 0 when the search must give up).
  std::uint32_t Group(const Key& key, SearchResult* result);
  // The same for a key as it stands (+ 1; 0 when the search must give up).
  std::uint32_t RegionOf(const Key& groupKey, SearchResult* result);
  // Adds an expansion to its group; false when the search must give up.
  bool Joined(std::uint32_t group, int cell, int g, SearchResult* result);
  // The key after the carry from cell c in direction d (0..3) of the key shown, the rules' own
  // move; false when it is none the search follows. `movedByte`: where the carried platform's
  // corner went in the key.
  [[gnu::always_inline]] bool CarriedKey(const Key& key, int c, int d, Key* out, int* movedByte);
  // The carry from cell c in direction d (0..3) of the state, added as a state reached.
  bool Carry(const Entry& e, int g, int at, int c, int d, SearchResult* result);
  // [slot][dx * 3 + dy][dx * 3 + dy]: the moves between two cells of a platform walking over its
  // own cells only (99: none).
  std::uint8_t shapeWalk[MaxPlatformsInRecord][9][9];
  Key ParentKey(const Entry& e) const;
  // The cells of the region from which a step in direction d (0..3) goes onto open water from a
  // platform: where a carry can start.
  Bits CarryStarts(const Bits& region, int d) const {
    Bits from = Stepped(water, (d + 2) % 4);
    for (int i = 0; i < 4; ++i) from.w[i] &= region.w[i] & platforms.w[i];
    return from;
  }
  // The cells the Player walks to from the cell on the board shown, a ball lying ending a walk.
  Bits RegionFrom(int cell, std::uint8_t lying) const {
    Bits passable = walkable;
    for (int i = 0; i < ballCellCount; ++i) {
      if (!(ballsAt[ballCells[i]] & lying)) continue;
      const int bit = BitOf(ballCells[i]);
      passable.w[bit / 64] &= ~(std::uint64_t(1) << (bit % 64));
    }
    Bits region;
    SetBit(&region, cell);
    for (bool grew = true; grew;) {
      const Bits next = Around(region, passable);
      grew = false;
      for (int i = 0; i < 4; ++i) {
        const std::uint64_t w = region.w[i] | next.w[i];
        grew = grew || w != region.w[i];
        region.w[i] = w;
      }
    }
    return region;
  }
  // The stored state of a key (its index), stored now if it is new; -1 when out of memory or
  // over the budget.
  std::int64_t Intern(const Key& key);
  bool Explore(Exploration* out);
  void Unroll(std::uint32_t goal, SearchResult* result);
};

bool Search::Impl::Describe(const GameState& from, Key* start) {
  std::memset(start->b, 0, sizeof start->b);
  base = from;
  base.movement = Movement{};
  int nextByte = FirstPlatformByte;
  std::vector<int> byType[ShapeTypes];
  for (std::int32_t n = 0; n < level.platformCount; ++n) {
    slotByte[n] = -1;
    const std::int64_t column = CellOf(from.platformX[n]);
    const std::int64_t row = CellOf(from.platformY[n]);
    if (!CornerFits(column, row)) continue;
    slotByte[n] = nextByte;
    start->b[nextByte] = PackCorner(column, row);
    const std::int32_t type = level.platformType[n];
    if (type >= 0 && type < ShapeTypes) byType[type].push_back(nextByte);
    ++nextByte;
  }
  std::memset(cellsMade, 0, sizeof cellsMade);
  unkeyedPlatforms = Bits{};
  groups.clear();
  for (std::int32_t n = 0; n < level.platformCount; ++n) {
    if (slotByte[n] >= 0) continue;
    const Bits cells = Covered(n, CellOf(from.platformX[n]), CellOf(from.platformY[n]));
    for (int i = 0; i < 4; ++i) unkeyedPlatforms.w[i] |= cells.w[i];
  }
  if (options.samePlatformsAlike && PlatformsApart(level, from)) {
    for (std::vector<int>& group : byType) {
      if (group.size() > 1) groups.push_back(std::move(group));
    }
  }
  SortCornerGroups(groups, start->b);
  keyBytes = nextByte;
  entries.Clear(std::size_t(keyBytes + 4), 32);
  regions.Clear(std::size_t(keyBytes + 4), 8);
  for (int k = 0; k < 3; ++k) {
    const int used = std::clamp(keyBytes - 4 * k, 0, 4);
    keyMask[k] = used == 4 ? ~0u : (1u << (8 * used)) - 1;
  }

  BallsAt(level, ballsAt);
  allBalls = std::uint8_t((1u << level.ballCount) - 1);
  ballCellCount = 0;
  land = Bits{};
  for (int c = 0; c < Cells; ++c) {
    if (ballsAt[c] != 0) ballCells[ballCellCount++] = c;
    if (level.terrain[c / BoardCells][c % BoardCells] == CellLand) SetBit(&land, c);
  }
  const std::int64_t column = CellOf(from.playerX), row = CellOf(from.playerY);
  if (!AtCellBoundary(from) || !OnBoard(column, row)) return false;
  const int cell = int(column * BoardCells + row);
  start->b[PlayerByte] = std::uint8_t(cell + 1);
  start->b[BallsByte] = from.ballsLying & std::uint8_t(~ballsAt[cell]);
  return true;
}

void Search::Impl::MakeEstimate() {
  int ballCell[MaxBallsInRecord];
  for (int b = 0; b < MaxBallsInRecord; ++b) ballCell[b] = -1;
  for (int cell = 0; cell < Cells; ++cell) {
    for (int b = 0; b < MaxBallsInRecord; ++b) {
      if (ballsAt[cell] & (1u << b)) ballCell[b] = cell;
    }
  }
  auto distance = [](int a, int b) {
    return std::abs(a / BoardCells - b / BoardCells) + std::abs(a % BoardCells - b % BoardCells);
  };
  // fromBall[mask][b]: the shortest walk from ball b of mask through its other balls. Only sets
  // of the level's own balls are ever asked for, and only for a ball of the set (for another,
  // the walk would read the set's own row before it is made).
  int fromBall[1 << MaxBallsInRecord][MaxBallsInRecord];
  for (int m = 0; m < (1 << MaxBallsInRecord); ++m) {
    if ((m & ~allBalls) != 0) continue;
    for (int b = 0; b < MaxBallsInRecord; ++b) {
      if (!(m & (1 << b))) continue;
      int best = 0;
      const int rest = m & ~(1 << b);
      if (rest != 0) {
        best = 1 << 20;
        for (int c = 0; c < MaxBallsInRecord; ++c) {
          if (!(rest & (1 << c)) || ballCell[c] < 0 || ballCell[b] < 0) continue;
          best = std::min(best, distance(ballCell[b], ballCell[c]) + fromBall[rest][c]);
        }
      }
      fromBall[m][b] = best;
    }
  }
  for (int cell = 0; cell < Cells; ++cell) {
    for (int m = 0; m < (1 << MaxBallsInRecord); ++m) {
      if ((m & ~allBalls) != 0) continue;
      int best = m == 0 ? 0 : 1 << 20;
      for (int b = 0; b < MaxBallsInRecord; ++b) {
        if (!(m & (1 << b)) || ballCell[b] < 0) continue;
        best = std::min(best, distance(cell, ballCell[b]) + fromBall[m][b]);
      }
      estimate[cell][m] = std::uint8_t(std::min(best, 255));
    }
  }
}

// True when a ball still lying can never be taken. Off the board or between cells, the Player
// never stands on it. On water he stands only on a platform, and a platform covers only the
// cells it covers now and open water it can float to: water joined to what it covers, cell by
// cell, through water or its own cells (it newly covers only open water, next to a cell it
// covers). So a ball on water whose patch of water (with the cells platforms cover now) holds no
// platform is out of reach for good.
bool Search::Impl::UnreachableBall() const {
  const std::uint8_t lying = base.ballsLying;
  std::uint8_t onCells = 0;
  for (int cell = 0; cell < Cells; ++cell) onCells |= ballsAt[cell];
  if ((lying & allBalls & ~onCells) != 0) return true;
  Board board;
  BuildBoard(level, base, &board);
  // Patches: water and covered cells, joined cell by cell; a patch is live when a platform
  // covers one of its cells.
  std::int16_t patch[Cells];
  std::fill(std::begin(patch), std::end(patch), -1);
  std::vector<bool> live;
  std::uint8_t queue[Cells];
  for (int start = 0; start < Cells; ++start) {
    const std::int32_t s = board.cell[start / BoardCells][start % BoardCells];
    if (s == CellLand || patch[start] >= 0) continue;
    const int id = int(live.size());
    live.push_back(false);
    int head = 0, tail = 0;
    queue[tail++] = std::uint8_t(start);
    patch[start] = std::int16_t(id);
    while (head < tail) {
      const int c = queue[head++];
      if (board.cell[c / BoardCells][c % BoardCells] == CellPlatform) live[id] = true;
      for (int d = DirLeft; d <= DirDown; ++d) {
        int dx, dy;
        DirectionStep(d, &dx, &dy);
        const int x = c / BoardCells + dx, y = c % BoardCells + dy;
        if (!OnBoard(x, y)) continue;
        const int n = x * BoardCells + y;
        if (patch[n] >= 0 || board.cell[x][y] == CellLand) continue;
        patch[n] = std::int16_t(id);
        queue[tail++] = std::uint8_t(n);
      }
    }
  }
  for (int cell = 0; cell < Cells; ++cell) {
    if (!(ballsAt[cell] & lying) ||
        level.terrain[cell / BoardCells][cell % BoardCells] == CellLand) {
      continue;
    }
    if (patch[cell] < 0 || !live[std::size_t(patch[cell])]) return true;
  }
  return false;
}

void Search::Impl::MakeTables() {
  for (int n = 0; n < level.platformCount; ++n) {
    const PlatformRecord& shape = level.platform[n];
    for (int a = 0; a < 9; ++a) {
      std::uint8_t* walk = shapeWalk[n][a];
      std::fill(walk, walk + 9, std::uint8_t(99));
      if (shape.shape[a / 3][a % 3] != 1) continue;
      int queue[9], head = 0, tail = 0;
      walk[a] = 0;
      queue[tail++] = a;
      while (head < tail) {
        const int x = queue[head++];
        for (const int y : {x - 3, x + 3, x % 3 > 0 ? x - 1 : -1, x % 3 < 2 ? x + 1 : -1}) {
          if (y < 0 || y > 8 || shape.shape[y / 3][y % 3] != 1 || walk[y] != 99) continue;
          walk[y] = std::uint8_t(walk[x] + 1);
          queue[tail++] = y;
        }
      }
    }
  }
  for (int c = 0; c < Cells; ++c) {
    for (int d = DirLeft; d <= DirDown; ++d) {
      int dx, dy;
      DirectionStep(d, &dx, &dy);
      const int x = c / BoardCells + dx, y = c % BoardCells + dy;
      neighbour[c][d - 1] = std::int16_t(OnBoard(x, y) ? x * BoardCells + y : -1);
    }
  }
}

bool Search::Impl::Reach(const Key& key, int g, std::uint16_t link, SearchResult* result) {
  if (g > MaxMoves) return true;  // longer than any solution a level can want: not followed
  const auto outOfMemory = [&] {
    result->outcome = SearchOutcome::GaveUp;
    result->why = "gave up: out of memory";
    return false;
  };
  if (!TableRoom()) return outOfMemory();
  const std::uint64_t slot = Slot(key);
  std::uint32_t& stored = table.slots.data[slot];
  if (stored == 0) {
    const int h = Estimate(key);
    if (h == Lost) return true;
    if (entries.size >= options.maxStates) {
      result->outcome = SearchOutcome::GaveUp;
      result->why = "gave up: more than " + std::to_string(options.maxStates) + " states";
      return false;
    }
    if (!Append(key, std::uint16_t(g), link)) return outOfMemory();
    stored = std::uint32_t(entries.size);
    return Queue(g, h, stored - 1) || outOfMemory();
  }
  const std::uint16_t was = GAt(stored - 1);
  if ((was & Expanded) || was <= g) return true;
  SetG(stored - 1, std::uint16_t(g));
  SetLink(stored - 1, link);
  return Queue(g, Estimate(key), stored - 1) || outOfMemory();
}

// The walk from the cell over the region: every cell the Player reaches by walking, without
// taking a ball (a ball's cell ends a walk), with its distance and the cell it is reached from.
// Returns how many cells the region has; they are order[0..n).
int Search::Impl::Walk(int fromCell, std::uint8_t lying) {
  const std::int32_t* cells = &board.cell[0][0];  // [column][row] is cell column * 14 + row
  ++stampNow;
  int head = 0, tail = 0;
  order[tail++] = std::uint8_t(fromCell);
  stamp[fromCell] = stampNow;
  dist[fromCell] = 0;
  while (head < tail) {
    const int c = order[head++];
    for (int d = 0; d < 4; ++d) {
      const int n = neighbour[c][d];
      if (n < 0 || stamp[n] == stampNow || !WalksOnto(cells[n]) || (ballsAt[n] & lying)) continue;
      stamp[n] = stampNow;
      dist[n] = std::uint16_t(dist[c] + 1);
      from[n] = std::uint8_t(c);
      order[tail++] = std::uint8_t(n);
    }
  }
  return tail;
}

std::uint32_t Search::Impl::Group(const Key& key, SearchResult* result) {
  Key groupKey = key;
  groupKey.b[PlayerByte] = 0;
  return RegionOf(groupKey, result);
}

std::uint32_t Search::Impl::RegionOf(const Key& groupKey, SearchResult* result) {
  const auto hashOf = [&](std::size_t r) { return HashKey(PackedKey(regions.At(r))); };
  if (!regionTable.Room(regions.size, hashOf) || !regions.Room()) {
    result->outcome = SearchOutcome::GaveUp;
    result->why = "gave up: out of memory";
    return 0;
  }
  std::uint32_t& slot =
      regionTable.slots.data[regionTable.Find(HashKey(groupKey), [&](std::uint32_t r) {
        return SameKey(PackedKey(regions.At(r)), groupKey);
      })];
  if (slot == 0) {
    std::memcpy(regions.At(regions.size), groupKey.b, sizeof groupKey.b);
    SetNewest(std::uint32_t(regions.size), 0);
    slot = std::uint32_t(++regions.size);
  }
  return slot;
}

bool Search::Impl::Joined(std::uint32_t group, int cell, int g, SearchResult* result) {
  if (!expansions.Room()) {
    result->outcome = SearchOutcome::GaveUp;
    result->why = "gave up: out of memory";
    return false;
  }
  expansions[expansions.size] = {std::uint8_t(cell), std::uint16_t(g), Newest(group - 1)};
  SetNewest(group - 1, std::uint32_t(++expansions.size));
  return true;
}

bool Search::Impl::Expand(std::uint32_t index, SearchResult* result) {
  const Entry e = EntryAt(index);
  const int g = e.g & ~Expanded;
  Show(e.key);
  const std::uint8_t lying = e.key.b[BallsByte];
  const int at = e.key.b[PlayerByte] - 1;
  // The walk over the region, a layer of cells a move, its cells' distances kept.
  Bits passable = walkable;
  for (int i = 0; i < ballCellCount; ++i) {
    const int cell = ballCells[i];
    if (!(ballsAt[cell] & lying)) continue;
    const int bit = BitOf(cell);
    passable.w[bit / 64] &= ~(std::uint64_t(1) << (bit % 64));
  }
  const std::uint32_t group = Group(e.key, result);
  if (group == 0) return false;
  // Earlier states of the group that could reach this one's cell as cheaply.
  int rivals[16], rivalCount = 0, rivalLeast = MaxMoves;
  for (std::uint32_t x = Newest(group - 1); x != 0 && rivalCount < 16; x = expansions[x - 1].next) {
    const Expansion& earlier = expansions[x - 1];
    if (earlier.g >= g) continue;
    rivals[rivalCount++] = int(x - 1);
    rivalLeast = std::min(rivalLeast, int(earlier.g));
  }
  Bits region;
  SetBit(&region, at);
  layers[0] = region;
  layerCount = 1;
  Bits open;  // the cells the walk may still reach
  for (int i = 0; i < 4; ++i) open.w[i] = passable.w[i] & ~region.w[i];
  for (std::uint16_t layer = 1;; ++layer) {
    const Bits& frontier = layers[layer - 1];
    // The walk meets an earlier state's cell as many moves away as it has walked.
    if (rivalLeast + layer - 1 <= g) {
      for (int r = 0; r < rivalCount; ++r) {
        const Expansion& earlier = expansions[rivals[r]];
        if (earlier.g + layer - 1 <= g && HasBit(frontier, earlier.cell)) return true;
      }
    }
    const Bits next = Around(frontier, open);
    if ((next.w[0] | next.w[1] | next.w[2] | next.w[3]) == 0) break;
    for (int i = 0; i < 4; ++i) {
      open.w[i] &= ~next.w[i];
      region.w[i] |= next.w[i];
    }
    layers[layerCount++] = next;
  }
  int cells = 0;
  for (int i = 0; i < 4; ++i) cells += __builtin_popcountll(region.w[i]);
  if (!Joined(group, at, g, result)) return false;
  result->positions += std::uint64_t(cells);

  // The balls next to the region: walking onto one takes it.
  const std::int32_t* boardCells = &board.cell[0][0];
  for (int i = 0; i < ballCellCount; ++i) {
    const int n = ballCells[i];
    if (!(ballsAt[n] & lying) || !WalksOnto(boardCells[n])) continue;
    for (int d = 0; d < 4; ++d) {
      const int x = neighbour[n][(d + 2) % 4];  // the cell a step in direction d leaves
      if (x < 0 || !HasBit(region, x)) continue;
      Key k = e.key;
      k.b[PlayerByte] = std::uint8_t(n + 1);
      k.b[BallsByte] = lying & std::uint8_t(~ballsAt[n]);
      if (!Reach(k, g + DistOf(x) + 1, MakeLink(at, d + 1, -1, true), result)) return false;
    }
  }
  if (!options.allowCarry) return true;
  // Carries: from a platform cell of the region towards open water, the rules' own move, asked
  // only where it can be one. Carried the same way, a platform takes the Player to a state of one
  // region whichever of its cells he stood on (he can walk across it), so a cell he reaches no
  // sooner than he could from another cell of it, walking over the platform, leads nowhere new
  // (unless one of the two steps takes a ball: the states then differ).
  const std::int8_t* owners = &board.owner[0][0];
  Bits starts[4], anyStart;
  for (int d = 0; d < 4; ++d) {
    starts[d] = CarryStarts(region, d);
    for (int i = 0; i < 4; ++i) anyStart.w[i] |= starts[d].w[i];
  }
  // Their distances, a layer at a time.
  for (int k = 0; k < layerCount; ++k) {
    Bits at;
    for (int i = 0; i < 4; ++i) at.w[i] = layers[k].w[i] & anyStart.w[i];
    EachCell(at, [&](int c) { dist[c] = std::uint16_t(k); });
  }
  for (int d = 0; d < 4; ++d) {
    int candidates[MaxPlatformsInRecord][9], count[MaxPlatformsInRecord] = {};
    EachCell(starts[d], [&](int c) {
      const int owner = owners[c];
      if (count[owner] == 9) return;
      candidates[owner][count[owner]++] = c;
    });
    for (int owner = 0; owner < level.platformCount; ++owner) {
      if (count[owner] == 0 || !CanPlatformMove(level, board, shown, owner, d + 1)) continue;
      const int step = neighbour[candidates[owner][0]][d] - candidates[owner][0];
      const auto takes = [&](int cell) { return (ballsAt[cell + step] & lying) != 0; };
      // Each candidate's cell inside the platform's box, its corner where the board shows it.
      const int corner =
          int(CellOf(shown.platformX[owner]) * BoardCells + CellOf(shown.platformY[owner]));
      int inBox[9];
      for (int i = 0; i < count[owner]; ++i) {
        const int offset = candidates[owner][i] - corner;  // dx * 14 + dy, dx and dy 0..2
        inBox[i] = offset / BoardCells * 3 + offset % BoardCells;
      }
      for (int i = 0; i < count[owner]; ++i) {
        const int c = candidates[owner][i];
        bool sooner = false;
        for (int j = 0; j < count[owner] && !sooner && !takes(c); ++j) {
          const int o = candidates[owner][j];
          if (j == i || takes(o)) continue;
          const int via = dist[o] + shapeWalk[owner][inBox[j]][inBox[i]];
          sooner = via < dist[c] || (via == dist[c] && j < i);
        }
        if (!sooner && !Carry(e, g, at, c, d, result)) return false;
      }
    }
  }
  return true;
}

inline bool Search::Impl::CarriedKey(const Key& key, int c, int d, Key* out, int* movedByte) {
  GameState moved = shown;
  moved.playerX = c / BoardCells * CellPixels;
  moved.playerY = c % BoardCells * CellPixels;
  const RuleEvents events = MakeMoveOn(level, board, &moved, d + 1);
  const int p = events.platformMoved;
  if (!events.carried || p < 0 || slotByte[p] < 0) return false;
  const std::int64_t column = CellOf(moved.platformX[p]), row = CellOf(moved.platformY[p]);
  if (!CornerFits(column, row)) return false;  // a carry keeps a cell on the board
  *out = key;
  out->b[PlayerByte] = std::uint8_t(CellOf(moved.playerX) * BoardCells + CellOf(moved.playerY) + 1);
  out->b[BallsByte] = moved.ballsLying;
  const std::uint8_t corner = PackCorner(column, row);
  out->b[slotByte[p]] = corner;
  SortCornerGroups(groups, out->b);
  // Where sorting put it: among the bytes of its type, whose corners never repeat (platforms of
  // a type are sorted only when none overlaps another). Elsewhere two platforms may share a
  // corner (one of an unknown type has no cells), so its own byte is the one.
  *movedByte = slotByte[p];
  for (const std::vector<int>& group : groups) {
    if (std::find(group.begin(), group.end(), *movedByte) == group.end()) continue;
    for (const int b : group) {
      if (out->b[b] == corner) *movedByte = b;
    }
  }
  return true;
}

bool Search::Impl::Carry(const Entry& e, int g, int at, int c, int d, SearchResult* result) {
  Key k;
  int movedByte;
  if (!CarriedKey(e.key, c, d, &k, &movedByte)) return true;
  const bool took = k.b[BallsByte] != e.key.b[BallsByte];
  return Reach(k, g + dist[c] + 1, MakeLink(at, d + 1, movedByte, took), result);
}

std::int64_t Search::Impl::Intern(const Key& key) {
  if (!TableRoom()) return -1;
  std::uint32_t& slot = table.slots.data[Slot(key)];
  if (slot != 0) return slot - 1;
  if (entries.size >= options.maxStates || !Append(key, 0, 0)) return -1;
  slot = std::uint32_t(entries.size);
  return std::int64_t(slot - 1);
}

// Every state reachable from the start, breadth first: the states stored are keys as a step
// leaves them (the Player on the cell he stepped onto); each is named by its walking region (its
// smallest cell), and a region is expanded once. Then, from the solved regions backwards, which
// regions can still be solved.
bool Search::Impl::Explore(Exploration* out) {
  SearchResult unused;
  std::vector<std::uint32_t> regionOf;  // per key stored: its region
  std::vector<std::uint8_t> cellsOf;    // per region: its cells
  std::vector<std::uint8_t> solvedRegion;
  std::vector<std::uint32_t> edgeStart, edgeKey;  // per region: the keys its steps reach
  for (std::size_t i = 0; i < entries.size; ++i) {
    const Key key = KeyAt(i);
    Show(key);
    const std::uint8_t lying = key.b[BallsByte];
    const Bits region = RegionFrom(key.b[PlayerByte] - 1, lying);
    int count = 0, least = Cells;
    EachCell(region, [&](int c) {
      ++count;
      least = std::min(least, c);
    });
    Key named = key;
    named.b[PlayerByte] = std::uint8_t(least + 1);
    const std::size_t known = regions.size;
    const std::uint32_t r = RegionOf(named, &unused);
    if (r == 0) return false;
    regionOf.push_back(r - 1);
    if (regions.size == known) continue;
    cellsOf.push_back(std::uint8_t(count));
    solvedRegion.push_back(lying == 0);
    edgeStart.push_back(std::uint32_t(edgeKey.size()));
    if (lying == 0) continue;
    const auto reach = [&](const Key& k) {
      const std::int64_t at = Intern(k);
      if (at >= 0) edgeKey.push_back(std::uint32_t(at));
      return at >= 0;
    };
    for (int b = 0; b < ballCellCount; ++b) {
      const int n = ballCells[b];
      if (!(ballsAt[n] & lying) || !WalksOnto(board.cell[n / BoardCells][n % BoardCells])) continue;
      bool next = false;
      for (int d = 0; d < 4; ++d)
        next = next || (neighbour[n][d] >= 0 && HasBit(region, neighbour[n][d]));
      if (!next) continue;
      Key k = key;
      k.b[PlayerByte] = std::uint8_t(n + 1);
      k.b[BallsByte] = lying & std::uint8_t(~ballsAt[n]);
      if (!reach(k)) return false;
    }
    bool ok = true;
    for (int d = 0; d < 4 && ok; ++d) {
      std::int8_t can[MaxPlatformsInRecord];  // per platform: -1 not asked yet
      std::fill(std::begin(can), std::end(can), std::int8_t(-1));
      EachCell(CarryStarts(region, d), [&](int c) {
        const int owner = board.owner[c / BoardCells][c % BoardCells];
        if (can[owner] < 0) can[owner] = CanPlatformMove(level, board, shown, owner, d + 1);
        Key k;
        int movedByte;
        if (ok && can[owner] && CarriedKey(key, c, d, &k, &movedByte)) ok = reach(k);
      });
    }
    if (!ok) return false;
  }
  const std::size_t count = cellsOf.size();
  edgeStart.push_back(std::uint32_t(edgeKey.size()));
  // The steps backwards: for each region, the regions that step into it.
  std::vector<std::uint32_t> intoStart(count + 1, 0), into(edgeKey.size());
  for (std::size_t e = 0; e < edgeKey.size(); ++e) ++intoStart[regionOf[edgeKey[e]] + 1];
  for (std::size_t r = 0; r < count; ++r) intoStart[r + 1] += intoStart[r];
  std::vector<std::uint32_t> fill(intoStart.begin(), intoStart.end() - 1);
  for (std::size_t r = 0; r < count; ++r) {
    for (std::uint32_t e = edgeStart[r]; e < edgeStart[r + 1]; ++e)
      into[fill[regionOf[edgeKey[e]]]++] = std::uint32_t(r);
  }
  std::vector<std::uint8_t> live(solvedRegion);
  std::vector<std::uint32_t> queue;
  for (std::size_t r = 0; r < count; ++r) {
    if (live[r]) queue.push_back(std::uint32_t(r));
  }
  for (std::size_t q = 0; q < queue.size(); ++q) {
    for (std::uint32_t e = intoStart[queue[q]]; e < intoStart[queue[q] + 1]; ++e) {
      if (!live[into[e]]) {
        live[into[e]] = 1;
        queue.push_back(into[e]);
      }
    }
  }
  out->complete = true;
  out->regions = count;
  for (std::size_t r = 0; r < count; ++r) {
    if (solvedRegion[r]) continue;
    out->positions += cellsOf[r];
    if (!live[r]) out->stuckPositions += cellsOf[r];
  }
  return true;
}

Key Search::Impl::ParentKey(const Entry& e) const {
  Key k = e.key;
  const int cell = e.key.b[PlayerByte] - 1;
  k.b[PlayerByte] = std::uint8_t(LinkParentCell(e.link) + 1);
  if (LinkTook(e.link)) k.b[BallsByte] |= ballsAt[cell];
  const int moved = LinkMovedByte(e.link);
  if (moved >= 0) {
    int dx, dy;
    DirectionStep(LinkDirection(e.link), &dx, &dy);
    const int column = k.b[moved] / 16 + CornerLow - dx, row = k.b[moved] % 16 + CornerLow - dy;
    k.b[moved] = PackCorner(column, row);
    SortCornerGroups(groups, k.b);
  }
  return k;
}

void Search::Impl::Unroll(std::uint32_t goal, SearchResult* result) {
  std::vector<std::uint32_t> chain{goal};
  while (LinkAt(chain.back()) != StartLink) {
    const std::uint32_t at = table.slots.data[Slot(ParentKey(EntryAt(chain.back())))];
    if (at == 0) break;  // cannot happen: every parent is stored
    chain.push_back(at - 1);
  }
  std::reverse(chain.begin(), chain.end());
  for (std::size_t i = 1; i < chain.size(); ++i) {
    const Entry parent = EntryAt(chain[i - 1]);
    const Entry child = EntryAt(chain[i]);
    Show(parent.key);
    const int fromCell = parent.key.b[PlayerByte] - 1;
    Walk(fromCell, parent.key.b[BallsByte]);
    const int d = LinkDirection(child.link);
    int dx, dy;
    DirectionStep(d, &dx, &dy);
    const int q = child.key.b[PlayerByte] - 1 - dx * BoardCells - dy;
    std::string walk;
    for (int c = q; c != fromCell; c = from[c]) {
      const int delta = c - from[c];
      walk.push_back(delta == -BoardCells  ? 'L'
                     : delta == -1         ? 'U'
                     : delta == BoardCells ? 'R'
                                           : 'D');
    }
    std::reverse(walk.begin(), walk.end());
    result->moves += walk;
    result->carried.insert(result->carried.end(), walk.size(), 0);
    result->moves.push_back(MoveLetters[d - 1]);
    result->carried.push_back(LinkMovedByte(child.link) >= 0 ? 1 : 0);
  }
}

Search::Search() : impl_(new Impl) {}

Search::~Search() {
  impl_->Clear(false);
  delete impl_;
}

void Search::Start(const Level& level, const GameState& from, const SearchOptions& options) {
  Impl& s = *impl_;
  result_ = SearchResult{};
  cancelled_.store(false);
  s.level = level;
  s.options = options;
  s.options.maxStates = std::clamp<std::uint64_t>(options.maxStates, 1, std::uint64_t(1) << 31);
  s.Clear(true);
  s.bucket = 0;
  s.shownKey = Key{};
  s.running = false;

  Key start;
  if (from.solved) {
    result_.outcome = SearchOutcome::Solved;
    result_.states = 1;
    return;
  }
  if (!s.Describe(from, &start)) {
    // A Player off the board or between cells never walks; he takes only the balls lying
    // exactly where he is.
    std::uint8_t left = 0;
    for (std::int32_t n = 0; n < level.ballCount; ++n) {
      const bool under = level.ballX[n] == from.playerX && level.ballY[n] == from.playerY;
      if ((from.ballsLying & (1u << n)) && !under) left |= std::uint8_t(1u << n);
    }
    result_.outcome =
        s.allBalls != 0 && left == 0 ? SearchOutcome::Solved : SearchOutcome::Unsolvable;
    result_.states = 1;
    return;
  }
  s.shown = s.base;
  // A ball the level does not have can never be taken.
  if (s.allBalls == 0 || (from.ballsLying & ~s.allBalls) != 0 ||
      (s.options.unreachableBalls && s.UnreachableBall())) {
    result_.outcome = SearchOutcome::Unsolvable;
    result_.states = 1;
    return;
  }
  s.MakeEstimate();
  s.MakeTables();
  s.boundBytes.clear();
  s.boundsWaiting = s.options.platformBounds;
  if (s.boundsWaiting) StartPlatformBounds(level, from, s.options.platformPairs, &s.bounds);
  s.startKey = start;
  if (!s.Reach(start, 0, StartLink, &result_)) return;
  s.running = true;
}

bool Search::Run(std::uint64_t budget) {
  Impl& s = *impl_;
  if (!s.running) return true;
  std::uint64_t done = 0;
  // The tables of the stronger estimate first, a slice of them at a time; the search goes on in
  // the slice that makes the last of them, for what is left of its budget.
  if (s.boundsWaiting) done = s.Bounds(budget, &result_);
  while (!s.boundsWaiting && result_.outcome == SearchOutcome::Running && done < budget) {
    if (cancelled_.load(std::memory_order_relaxed)) {
      result_.outcome = SearchOutcome::Cancelled;
      break;
    }
    s.bucket = s.open.NextFilled(s.bucket);
    if (s.bucket >= s.open.top.size) {
      result_.outcome = SearchOutcome::Unsolvable;
      break;
    }
    if (s.options.maxMoves != 0 && s.bucket / Impl::EstimateKeys > s.options.maxMoves) {
      result_.outcome = SearchOutcome::GaveUp;
      result_.why =
          "gave up: no solution of " + std::to_string(s.options.maxMoves) + " moves or fewer";
      break;
    }
    // Among states of one sum and estimate, last in, first out.
    const std::uint32_t i = s.open.Pop(s.bucket);
    // A state queued again for fewer moves was taken at that smaller sum already (the estimate
    // never falls by more than the moves made, so sums only grow): it is expanded.
    const std::uint16_t g = s.GAt(i);
    if (g & Expanded) continue;
    const Key key = s.KeyAt(i);
    s.SetG(i, g | Expanded);
    ++result_.expanded;

    ++done;
    if (key.b[BallsByte] == 0) {
      result_.outcome = SearchOutcome::Solved;
      s.Unroll(i, &result_);
      break;
    }
    if (!s.Expand(i, &result_)) break;
  }
  result_.states = s.entries.size;
  result_.peakBytes = std::max(result_.peakBytes, s.BytesHeld());
  if (result_.outcome == SearchOutcome::Running) return false;
  s.running = false;
  return true;
}

Exploration Search::Explore(const Level& level, const GameState& from, std::uint64_t maxStates) {
  SearchOptions options;
  options.maxStates = maxStates;
  options.unreachableBalls = false;  // every state is counted, lost or not
  options.platformBounds = false;
  Start(level, from, options);
  Exploration out;
  if (!impl_->running) {
    // Solved already, or the Player stands where he can never move: one position.
    out.complete = true;
    out.regions = out.positions = 1;
    out.stuckPositions = result_.outcome == SearchOutcome::Solved ? 0 : 1;
    return out;
  }
  impl_->running = false;
  if (!impl_->Explore(&out)) out = Exploration{};
  result_.states = impl_->entries.size;
  result_.peakBytes = impl_->BytesHeld();
  return out;
}

SearchResult SearchToEnd(const Level& level, const GameState& from, const SearchOptions& options) {
  // One search's memory, kept for the next on this thread.
  static thread_local Search search;
  search.Start(level, from, options);
  while (!search.Run(1u << 16)) {
  }
  return search.result();
}
