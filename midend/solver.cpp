// The level solver: the search over what matters, and the plain breadth-first search it is held to.
#include "midend/solver.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/level_record.h"
#include "board/platform_shapes.h"
#include "midend/search.h"
#include "midend/search_table.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "play/movement.h"
#include "play/rules.h"

// How the search stays the game's: every move is MakeMove, the rules' whole move, taken from a
// cell boundary; balls are taken only on boundaries, where the Player's position equals a
// ball's exactly.
//
// Platforms of one type are interchangeable: the state keeps their positions sorted, so that
// two states that differ only in which slot holds which position are one. That is safe only if
// the rules treat slots alike. They do, except where two platforms cover the same cell: then
// FindPlatformUnderPlayer picks the higher slot. A move never makes such an overlap (a platform
// moves only onto open water, and every cell it newly covers on the board is one it tested), so
// a level that starts without overlapping platforms never has any, and in it the board, every
// decision and every platform found depend only on the set of positions of each type. A level
// that starts with an overlap is searched with its slots as they are.

namespace {

// A state's key: byte 0 the Player's cell (column * 14 + row) + 1, byte 1 the balls still lying
// (bit n for ball n), bytes 2.. one per platform that can ever move or be stepped on, the rest 0.
constexpr int PlayerByte = 0;
constexpr int BallsByte = 1;
constexpr int FirstPlatformByte = 2;

// What the search needs to know of the level besides the level itself.
struct SearchLevel {
  GameState base;                      // the start, with the platforms kept out of the key
  int slotByte[MaxPlatformsInRecord];  // key byte of each slot, or -1 for a fixed platform
  // Key bytes of the platforms of one type, for keeping them sorted; empty when not safe.
  std::vector<std::vector<int>> groups;
  std::uint8_t ballsAt[BoardCells * BoardCells];  // balls lying on each cell
  std::uint8_t allBalls = 0;                      // every ball of the level, lying or taken
};

// Reads what the search needs from the level and the state it starts from, and makes the start
// key: the balls still lying, less the one under the Player (a boundary is where a frame takes
// it). False when the Player stands off the board or between cells (he can then never be
// searched from).
bool DescribeLevel(const Level& level, const GameState& from, SearchLevel* search,
                   SearchKey* start) {
  std::memset(start->bytes, 0, sizeof start->bytes);
  search->base = from;
  search->base.movement = Movement{};
  int nextByte = FirstPlatformByte;
  std::vector<int> byType[ShapeTypes];
  for (std::int32_t n = 0; n < level.platformCount; ++n) {
    search->slotByte[n] = -1;
    const std::int64_t column = CellOf(from.platformX[n]);
    const std::int64_t row = CellOf(from.platformY[n]);
    if (!CornerFits(column, row)) continue;
    search->slotByte[n] = nextByte;
    start->bytes[nextByte] = PackCorner(column, row);
    const std::int32_t type = level.platformType[n];
    if (type >= 0 && type < ShapeTypes) byType[type].push_back(nextByte);
    ++nextByte;
  }
  search->groups.clear();
  if (PlatformsApart(level, from)) {
    for (std::vector<int>& group : byType) {
      if (group.size() > 1) search->groups.push_back(std::move(group));
    }
  }
  SortCornerGroups(search->groups, start->bytes);

  std::memset(search->ballsAt, 0, sizeof search->ballsAt);
  search->allBalls = std::uint8_t((1u << level.ballCount) - 1);
  for (std::int32_t n = 0; n < level.ballCount; ++n) {
    if (level.ballX[n] % CellPixels != 0 || level.ballY[n] % CellPixels != 0) continue;
    const std::int64_t column = CellOf(level.ballX[n]), row = CellOf(level.ballY[n]);
    if (OnBoard(column, row)) search->ballsAt[column * BoardCells + row] |= std::uint8_t(1u << n);
  }

  const std::int64_t column = CellOf(from.playerX), row = CellOf(from.playerY);
  if (!AtCellBoundary(from) || !OnBoard(column, row)) return false;
  const int cell = int(column * BoardCells + row);
  start->bytes[PlayerByte] = std::uint8_t(cell + 1);
  start->bytes[BallsByte] = from.ballsLying & std::uint8_t(~search->ballsAt[cell]);
  return true;
}

// The state a key stands for, its platforms placed on the board when they differ from the
// ones the board shows (`shown`): bytes 2..15, compared as two words that overlap.
void Unpack(const Level& level, const SearchLevel& search, const SearchKey& key, GameState* state,
            Board* board, SearchKey* shown) {
  if (shown->bytes[PlayerByte] == 0 ||
      KeyWord(*shown, FirstPlatformByte) != KeyWord(key, FirstPlatformByte) ||
      KeyWord(*shown, 8) != KeyWord(key, 8)) {
    for (std::int32_t n = 0; n < level.platformCount; ++n) {
      const int at = search.slotByte[n];
      if (at < 0) continue;
      state->platformX[n] = (key.bytes[at] / 16 + CornerLow) * CellPixels;
      state->platformY[n] = (key.bytes[at] % 16 + CornerLow) * CellPixels;
    }
    BuildBoard(level, *state, board);
    *shown = key;
  }
  const int cell = key.bytes[PlayerByte] - 1;
  state->playerX = cell / BoardCells * CellPixels;
  state->playerY = cell % BoardCells * CellPixels;
  state->ballsLying = key.bytes[BallsByte];
  state->movement = Movement{};
}

struct Successor {
  SearchKey key;
  std::uint64_t hash;
  std::uint8_t carried;
  std::uint8_t direction;
};

// The states one move from `state` (the key's), as the rules allow them.
int Successors(const Level& level, const SearchLevel& search, const SearchKey& key,
               const GameState& state, const Board& board, const SolveOptions& options,
               const KeySet& seen, Successor next[4]) {
  int count = 0;
  GameState moved = state;
  for (std::int32_t direction = DirLeft; direction <= DirDown; ++direction) {
    // A move changes the Player, his movement, the balls and at most the one platform he
    // carries: only those are put back between directions, which is most of a search's time.
    moved.playerX = state.playerX;
    moved.playerY = state.playerY;
    moved.ballsLying = state.ballsLying;
    moved.solved = state.solved;
    const RuleEvents events = MakeMoveOn(level, board, &moved, direction);
    if (events.platformMoved >= 0) {
      const int n = events.platformMoved;
      const std::int32_t x = moved.platformX[n], y = moved.platformY[n];
      moved.platformX[n] = state.platformX[n];
      moved.platformY[n] = state.platformY[n];
      if (events.carried && options.allowCarry && search.slotByte[n] >= 0) {
        const std::int64_t c = CellOf(x), r = CellOf(y);
        if (!CornerFits(c, r)) continue;  // a carry keeps a cell on the board
        next[count].key = key;
        next[count].key.bytes[search.slotByte[n]] = PackCorner(c, r);
      } else {
        continue;
      }
    } else {
      if (!events.stepStarted || events.carried) continue;
      next[count].key = key;
    }
    const std::int64_t column = CellOf(moved.playerX), row = CellOf(moved.playerY);
    if (!OnBoard(column, row)) continue;  // the rules never do this
    SearchKey& k = next[count].key;
    k.bytes[PlayerByte] = std::uint8_t(column * BoardCells + row + 1);
    k.bytes[BallsByte] = key.bytes[BallsByte] & moved.ballsLying;
    if (events.carried) SortCornerGroups(search.groups, k.bytes);
    next[count].hash = HashKey(k);
    next[count].carried = events.carried;
    next[count].direction = std::uint8_t(direction);
    ++count;
  }
  // The slots are fetched together, while the caller works on an earlier state.
  for (int m = 0; m < count; ++m) PrefetchKey(seen, next[m].hash);
  return count;
}

constexpr char MoveLetters[] = "LURD";  // DirLeft..DirDown

// Every state found, in the order found; parent[i] is the index of the state it came from
// times four plus its move's direction - 1 (the start's parent is itself).
struct Search {
  MappedArray<SearchKey> states;
  MappedArray<std::uint32_t> parent;
  MappedArray<std::uint8_t> carried;
  std::uint64_t count = 0;
  KeySet seen;
};

void Finish(SolveOutcome outcome, const Search& search, std::uint64_t goal, SolveResult* result) {
  result->outcome = outcome;
  result->states = search.count;
  if (outcome == SolveOutcome::Solved) {
    for (std::uint64_t i = goal; i != 0; i = search.parent.data[i] / 4) {
      result->moves.push_back(MoveLetters[search.parent.data[i] % 4]);
      result->carried.push_back(search.carried.data[i]);
    }
    std::reverse(result->moves.begin(), result->moves.end());
    std::reverse(result->carried.begin(), result->carried.end());
  }
  if (outcome == SolveOutcome::GaveUp) {
    result->error = "gave up after " + std::to_string(search.count) + " states";
  }
}

// Breadth-first: states in the order found, stopping at the first key that takes the last ball.
void BreadthFirst(const Level& level, const SearchLevel& described, const SearchKey& start,
                  const SolveOptions& options, SolveResult* result) {
  // The parent links hold an index times four in 32 bits.
  const std::uint64_t maxStates =
      std::clamp<std::uint64_t>(options.maxStates, 1, std::uint64_t(1) << 30);
  Search search;
  if (!MapArray(&search.states, maxStates) || !MapArray(&search.parent, maxStates) ||
      !MapArray(&search.carried, maxStates) || !InitKeySet(&search.seen, 1 << 12, false)) {
    result->outcome = SolveOutcome::GaveUp;
    result->error = "not enough memory for " + std::to_string(maxStates) + " states";
    return;
  }
  const auto solved = [&described](const SearchKey& key) {
    return described.allBalls != 0 && key.bytes[BallsByte] == 0;
  };
  search.seen.slots.data[FindSlot(search.seen, start, HashKey(start))] = start;
  search.seen.count = 1;
  search.states.data[search.count++] = start;
  if (solved(start)) {
    Finish(SolveOutcome::Solved, search, 0, result);
    return;
  }
  GameState state = described.base;
  Board board;
  SearchKey shown;
  shown.bytes[PlayerByte] = 0;
  // State i + 1's successors (when it is stored already) are found before state i's are stored,
  // so that the table's slots they will probe come from memory meanwhile: waiting for those is
  // most of a search's time. Finding successors does not touch the table, so the states are
  // stored in the same order as if one state were taken at a time.
  Successor next[2][4];
  int count[2];
  const auto expand = [&](std::uint64_t i) {
    const SearchKey key = search.states.data[i];
    Unpack(level, described, key, &state, &board, &shown);
    count[i & 1] =
        Successors(level, described, key, state, board, options, search.seen, next[i & 1]);
  };
  expand(0);
  for (std::uint64_t i = 0; i < search.count; ++i) {
    const bool ahead = i + 1 < search.count;
    if (ahead) expand(i + 1);
    const Successor* now = next[i & 1];
    for (int m = 0; m < count[i & 1]; ++m) {
      if (!RoomForOneMore(&search.seen)) {
        Finish(SolveOutcome::GaveUp, search, 0, result);
        return;
      }
      const std::uint64_t slot = FindSlot(search.seen, now[m].key, now[m].hash);
      if (!EmptySlot(search.seen.slots.data[slot])) continue;
      if (search.count >= maxStates) {
        Finish(SolveOutcome::GaveUp, search, 0, result);
        return;
      }
      const std::uint64_t at = search.count++;
      search.seen.slots.data[slot] = now[m].key;
      ++search.seen.count;
      search.states.data[at] = now[m].key;
      search.parent.data[at] = std::uint32_t(i * 4 + now[m].direction - 1);
      search.carried.data[at] = now[m].carried;
      if (solved(now[m].key)) {
        Finish(SolveOutcome::Solved, search, at, result);
        return;
      }
    }
    if (!ahead && i + 1 < search.count) expand(i + 1);
  }
  Finish(SolveOutcome::Unsolvable, search, 0, result);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

SolveResult ErrorResult(const std::string& what) {
  SolveResult result;
  result.outcome = SolveOutcome::Error;
  result.error = what;
  return result;
}

}  // namespace

// The reference: every position the level can reach, one move at a time.
static SolveResult SolveByBreadth(const Level& level, const GameState& from,
                                  const SolveOptions& options) {
  const auto began = std::chrono::steady_clock::now();
  const double cpuBegan = platform::ThreadCpuSeconds();
  SolveResult result;
  SearchLevel search;
  SearchKey start;
  if (from.solved) {
    result.outcome = SolveOutcome::Solved;
    result.states = 1;
  } else if (!DescribeLevel(level, from, &search, &start)) {
    // A Player off the board never moves; he takes only the balls lying exactly where he is.
    std::uint8_t left = 0;
    for (std::int32_t n = 0; n < level.ballCount; ++n) {
      const bool under = level.ballX[n] == from.playerX && level.ballY[n] == from.playerY;
      if ((from.ballsLying & (1u << n)) && !under) left |= std::uint8_t(1u << n);
    }
    result.outcome =
        search.allBalls != 0 && left == 0 ? SolveOutcome::Solved : SolveOutcome::Unsolvable;
    result.states = 1;
  } else {
    BreadthFirst(level, search, start, options, &result);
  }
  result.seconds = SecondsSince(began);
  result.cpuSeconds = platform::ThreadCpuSeconds() - cpuBegan;
  return result;
}

SolveResult SolveFromState(const Level& level, const GameState& from, const SolveOptions& options) {
  if (options.breadthFirst) return SolveByBreadth(level, from, options);
  const auto began = std::chrono::steady_clock::now();
  const double cpuBegan = platform::ThreadCpuSeconds();
  SearchOptions search;
  search.maxStates = options.maxStates;
  search.allowCarry = options.allowCarry;
  search.samePlatformsAlike = options.samePlatformsAlike;
  search.unreachableBalls = options.unreachableBalls;
  search.platformBounds = options.platformBounds;
  search.platformPairs = options.platformPairs;
  const SearchResult found = SearchToEnd(level, from, search);
  SolveResult result;
  result.outcome = found.outcome == SearchOutcome::Solved       ? SolveOutcome::Solved
                   : found.outcome == SearchOutcome::Unsolvable ? SolveOutcome::Unsolvable
                                                                : SolveOutcome::GaveUp;
  result.moves = found.moves;
  result.carried = found.carried;
  result.error = found.why;
  result.states = found.states;
  result.positions = found.positions;
  result.peakBytes = found.peakBytes;
  result.seconds = SecondsSince(began);
  result.cpuSeconds = platform::ThreadCpuSeconds() - cpuBegan;
  return result;
}

SolveResult SolveLevelRecord(const std::uint8_t record[LevelRecordSize],
                             const SolveOptions& options) {
  Level level;
  if (SetUpLevel(record, &level) != 0) return ErrorResult("not a level: its set-up shows \"Hov!\"");
  return SolveFromState(level, StartState(level), options);
}

SolveResult SolveLevelFile(const std::string& path, const SolveOptions& options) {
  std::uint8_t record[LevelRecordSize + 1];
  const long size = platform::ReadFilePrefix(path.c_str(), record, sizeof record);
  if (size < 0) return ErrorResult("cannot read it");
  if (size != LevelRecordSize) {
    return ErrorResult(size > LevelRecordSize
                           ? "not a level: longer than 300 bytes"
                           : "not a level: " + std::to_string(size) + " bytes, not 300");
  }
  return SolveLevelRecord(record, options);
}
