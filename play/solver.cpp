#include "play/solver.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/board_state.h"
#include "board/level_record.h"
#include "board/platform_shapes.h"
#include "gfx/sprites.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "play/movement.h"
#include "play/play_frame.h"

// How the search stays the game's:
//
// Every move is decided by DecideMove, the decision PlayFrame makes on a cell boundary, on a
// BoardGrid rebuilt by BuildTerrainGrid and MarkPlatformCells exactly as a frame leaves it. A
// move is then taken whole: between boundaries a frame decides nothing, it only steps the Player
// (and the platform he carries) the same few pixels, and FindPlatformUnderPlayer finds the same
// platform in every frame of a carry as it does on the boundary (the target cell is water, so no
// other platform's cell comes within reach). Balls are taken only on boundaries, where the
// Player's position equals a ball's exactly.
//
// Platforms of one type are interchangeable: the state keeps their positions sorted, so that
// two states that differ only in which slot holds which position are one. That is safe only if
// the game treats slots alike. It does, except where two platforms cover the same cell: then
// FindPlatformUnderPlayer picks the higher slot. A move never makes such an overlap (a platform
// moves only onto open water, and every cell it newly covers on the board is one it tested), so
// a level that starts without overlapping platforms never has any, and in it the board, every
// decision and every platform found depend only on the set of positions of each type. A level
// that starts with an overlap is searched with its slots as they are.

namespace {

// A state: byte 0 the Player's cell (column * 14 + row) + 1, byte 1 the balls still lying (bit
// n for ball n), bytes 2.. one per platform that can ever move or be stepped on, the rest 0.
struct Key {
  std::uint8_t bytes[16];
};

constexpr int PlayerByte = 0;
constexpr int BallsByte = 1;
constexpr int FirstPlatformByte = 2;

// A platform's position is its box's top-left cell. One that has a cell on the board has its
// corner in columns and rows -2..13, and a move keeps it there; such a corner is stored as
// (column + 2) * 16 + row + 2. A platform with its corner elsewhere has no cell on the board:
// it is never stepped on and never moves, and stays out of the state.
constexpr int CornerLow = -2;
constexpr int CornerHigh = BoardCells - 1;

bool CornerFits(std::int64_t column, std::int64_t row) {
  return column >= CornerLow && column <= CornerHigh && row >= CornerLow && row <= CornerHigh;
}

std::uint8_t PackCorner(std::int64_t column, std::int64_t row) {
  return std::uint8_t((column - CornerLow) * 16 + (row - CornerLow));
}

std::uint64_t Word(const Key& key, int at) {
  std::uint64_t w;
  std::memcpy(&w, key.bytes + at, sizeof w);
  return w;
}

bool SameKey(const Key& a, const Key& b) {
  return Word(a, 0) == Word(b, 0) && Word(a, 8) == Word(b, 8);
}

std::uint64_t HashKey(const Key& key) {
  std::uint64_t h = Word(key, 0) * 0x9E3779B97F4A7C15ull;
  h ^= (Word(key, 8) + 0x632BE59BD9B4E019ull) * 0xC2B2AE3D27D4EB4Full;
  h ^= h >> 31;
  h *= 0xD6E8FEB86659FD93ull;
  return h ^ (h >> 29);
}

// Zeroed memory straight from the system (platform/memory.h): the search touches its tables at
// random, and reserves its state arrays for the most states it may hold.
template <typename T>
struct MappedArray {
  T* data = nullptr;
  std::size_t bytes = 0;

  MappedArray() = default;
  MappedArray(const MappedArray&) = delete;
  MappedArray& operator=(const MappedArray&) = delete;
  ~MappedArray() { platform::ReleaseReserved(data, bytes); }
};

// False when the memory cannot be had. `random`: the array is touched at random, not filled in
// order from its start.
template <typename T>
bool MapArray(MappedArray<T>* array, std::uint64_t count, bool random = false) {
  platform::ReleaseReserved(array->data, array->bytes);
  array->data = nullptr;
  array->bytes = 0;
  if (count == 0 || count > SIZE_MAX / sizeof(T)) return false;
  const std::size_t bytes = std::size_t(count) * sizeof(T);
  void* p = platform::ReserveZeroed(bytes, random);
  if (p == nullptr) return false;
  array->data = static_cast<T*>(p);
  array->bytes = bytes;
  return true;
}

template <typename T>
void SwapArrays(MappedArray<T>* a, MappedArray<T>* b) {
  std::swap(a->data, b->data);
  std::swap(a->bytes, b->bytes);
}

// Open addressing with linear probing; keys are stored whole, so a probe costs one cache line.
// An all-zero slot is empty (no key is all zero: the Player's byte is his cell + 1), so a new
// table is fresh zeroed memory.
struct KeySet {
  MappedArray<Key> slots;
  MappedArray<std::uint32_t> ids;  // the guided search's state index of each slot
  bool withIds = false;
  std::uint64_t mask = 0;
  std::uint64_t count = 0;
};

bool EmptySlot(const Key& key) {
  return key.bytes[PlayerByte] == 0;
}

// False when the memory cannot be had.
bool InitKeySet(KeySet* set, std::uint64_t capacity, bool withIds = false) {
  set->mask = capacity - 1;
  set->count = 0;
  set->withIds = withIds;
  return MapArray(&set->slots, capacity, true) && (!withIds || MapArray(&set->ids, capacity, true));
}

// The slot that holds the key, or the empty one where it would go.
std::uint64_t FindSlot(const KeySet& set, const Key& key, std::uint64_t hash) {
  std::uint64_t i = hash & set.mask;
  while (!EmptySlot(set.slots.data[i]) && !SameKey(set.slots.data[i], key)) i = (i + 1) & set.mask;
  return i;
}

// Adds the key unless present; true when it was new.
bool InsertKey(KeySet* set, const Key& key, std::uint64_t hash);

// Doubles the table; false when the memory cannot be had (the table is then unchanged).
bool GrowKeySet(KeySet* set) {
  KeySet bigger;
  if (!InitKeySet(&bigger, (set->mask + 1) * 2, set->withIds)) return false;
  for (std::uint64_t i = 0; i <= set->mask; ++i) {
    const Key& key = set->slots.data[i];
    if (EmptySlot(key)) continue;
    const std::uint64_t to = FindSlot(bigger, key, HashKey(key));
    bigger.slots.data[to] = key;
    if (set->withIds) bigger.ids.data[to] = set->ids.data[i];
    ++bigger.count;
  }
  SwapArrays(&set->slots, &bigger.slots);
  SwapArrays(&set->ids, &bigger.ids);
  set->mask = bigger.mask;
  set->count = bigger.count;
  return true;
}

bool RoomForOneMore(KeySet* set) {
  return (set->count + 1) * 10 <= (set->mask + 1) * 7 || GrowKeySet(set);
}

// The caller keeps the table at most 70% full (RoomForOneMore), so probe runs stay short.
bool InsertKey(KeySet* set, const Key& key, std::uint64_t hash) {
  for (std::uint64_t i = hash & set->mask;; i = (i + 1) & set->mask) {
    Key& slot = set->slots.data[i];
    if (EmptySlot(slot)) {
      slot = key;
      ++set->count;
      return true;
    }
    if (SameKey(slot, key)) return false;
  }
}

void PrefetchKey(const KeySet& set, std::uint64_t hash) {
  __builtin_prefetch(&set.slots.data[hash & set.mask]);
}

// What the search needs to know of the level, taken from the state StartLevel built.
struct Level {
  std::int32_t platformSlots = 0;      // slots 0..platformSlots-1 hold platforms
  int slotByte[MaxPlatformsInRecord];  // key byte of each slot, or -1 for a fixed platform
  // Key bytes of the platforms of one type, for keeping them sorted; empty when not safe.
  std::vector<std::vector<int>> groups;
  std::uint8_t ballsAt[BoardCells * BoardCells];  // balls lying on each cell
  std::uint8_t allBalls = 0;                      // every ball of the level, lying or taken
};

void SortGroups(const Level& level, Key* key) {
  for (const std::vector<int>& group : level.groups) {
    // Insertion sort: a group holds at most nine bytes.
    for (std::size_t i = 1; i < group.size(); ++i) {
      const std::uint8_t v = key->bytes[group[i]];
      std::size_t j = i;
      for (; j > 0 && key->bytes[group[j - 1]] > v; --j) {
        key->bytes[group[j]] = key->bytes[group[j - 1]];
      }
      key->bytes[group[j]] = v;
    }
  }
}

// True when no board cell is covered by two platforms.
bool PlatformsApart() {
  std::uint8_t covered[BoardCells][BoardCells] = {};
  for (std::int32_t n = 0; n < PlatformCount && n < MaxPlatformsInRecord; ++n) {
    const std::int64_t column = CellOf(PlatformTable.x[n]);
    const std::int64_t row = CellOf(PlatformTable.y[n]);
    for (int dx = 0; dx < 3; ++dx) {
      for (int dy = 0; dy < 3; ++dy) {
        if (PlatformTable.record[n].shape[dx][dy] != 1) continue;
        if (!OnBoard(column + dx, row + dy)) continue;
        if (covered[column + dx][row + dy]++ != 0) return false;
      }
    }
  }
  return true;
}

// Reads the level from the game state and makes the start key: the balls still lying, less
// the one under the Player (a boundary is where a frame takes it). False when the Player stands
// off the board or between cells (he can then never be searched from).
bool DescribeLevel(Level* level, Key* start) {
  std::memset(start->bytes, 0, sizeof start->bytes);
  level->platformSlots = std::clamp<std::int32_t>(PlatformCount, 0, MaxPlatformsInRecord);

  int nextByte = FirstPlatformByte;
  std::vector<int> byType[ShapeTypes];
  for (std::int32_t n = 0; n < level->platformSlots; ++n) {
    level->slotByte[n] = -1;
    const std::int64_t column = CellOf(PlatformTable.x[n]);
    const std::int64_t row = CellOf(PlatformTable.y[n]);
    if (!CornerFits(column, row)) continue;
    level->slotByte[n] = nextByte;
    start->bytes[nextByte] = PackCorner(column, row);
    const std::int32_t type = PlatformTable.type[n];
    if (type >= 0 && type < ShapeTypes) byType[type].push_back(nextByte);
    ++nextByte;
  }
  level->groups.clear();
  if (PlatformsApart()) {
    for (std::vector<int>& group : byType) {
      if (group.size() > 1) level->groups.push_back(std::move(group));
    }
  }
  SortGroups(*level, start);

  std::memset(level->ballsAt, 0, sizeof level->ballsAt);
  level->allBalls = 0;
  std::uint8_t lying = 0;
  for (std::int32_t n = 0; n < BallTotal && n < MaxBallsInRecord; ++n) {
    level->allBalls |= std::uint8_t(1u << n);
    if (BallAlive[n]) lying |= std::uint8_t(1u << n);
    const Bob& ball = BallBobs[n];
    if (ball.x % CellPixels != 0 || ball.y % CellPixels != 0) continue;
    const std::int64_t column = CellOf(ball.x), row = CellOf(ball.y);
    if (OnBoard(column, row)) level->ballsAt[column * BoardCells + row] |= std::uint8_t(1u << n);
  }

  const std::int64_t column = CellOf(PlayerBob.x), row = CellOf(PlayerBob.y);
  if (PlayerBob.x % CellPixels != 0 || PlayerBob.y % CellPixels != 0 || !OnBoard(column, row)) {
    return false;
  }
  const int cell = int(column * BoardCells + row);
  start->bytes[PlayerByte] = std::uint8_t(cell + 1);
  start->bytes[BallsByte] = lying & std::uint8_t(~level->ballsAt[cell]);
  return true;
}

// Puts the platforms of the key into the PlatformTable and rebuilds the BoardGrid from them.
void PlacePlatforms(const Level& level, const Key& key) {
  for (std::int32_t n = 0; n < level.platformSlots; ++n) {
    const int at = level.slotByte[n];
    if (at < 0) continue;
    const int packed = key.bytes[at];
    PlatformTable.x[n] = (packed / 16 + CornerLow) * CellPixels;
    PlatformTable.y[n] = (packed % 16 + CornerLow) * CellPixels;
  }
  BuildTerrainGrid();
  MarkPlatformCells();
}

void PlacePlayerAt(const Key& key) {
  const int cell = key.bytes[PlayerByte] - 1;
  PlayerBob.x = cell / BoardCells * CellPixels;
  PlayerBob.y = cell % BoardCells * CellPixels;
}

// Shows the key on the board: its platforms (when they differ from those `placed` shows) and
// the Player.
void PlaceKey(const Level& level, const Key& key, Key* placed) {
  if (placed->bytes[PlayerByte] == 0 ||
      std::memcmp(placed->bytes + FirstPlatformByte, key.bytes + FirstPlatformByte,
                  sizeof key.bytes - FirstPlatformByte) != 0) {
    PlacePlatforms(level, key);
    *placed = key;
  }
  PlacePlayerAt(key);
}

struct Successor {
  Key key;
  std::uint64_t hash;
  std::uint8_t carried;
  std::uint8_t direction;
};

// The states one move from the key the board shows, as DecideMove allows them.
int Successors(const Level& level, const Key& key, const SolveOptions& options, const KeySet& seen,
               Successor next[4]) {
  int count = 0;
  for (std::int32_t direction = DirLeft; direction <= DirDown; ++direction) {
    DecideMove(direction);
    if (!PlayerMoving || (CarryingPlatform && !options.allowCarry)) continue;
    // A move covers one cell however many frames it takes.
    const int dx = (StepX > 0) - (StepX < 0);
    const int dy = (StepY > 0) - (StepY < 0);
    Key& k = next[count].key;
    k = key;
    const int cell = key.bytes[PlayerByte] - 1 + dx * BoardCells + dy;
    if (cell < 0 || cell >= BoardCells * BoardCells) continue;  // the game never does this
    k.bytes[PlayerByte] = std::uint8_t(cell + 1);
    k.bytes[BallsByte] &= std::uint8_t(~level.ballsAt[cell]);
    if (CarryingPlatform) {
      const std::int32_t n = FindPlatformUnderPlayer();
      if (n < 0 || n >= level.platformSlots || level.slotByte[n] < 0) continue;
      const int packed = k.bytes[level.slotByte[n]];
      const int column = packed / 16 + CornerLow + dx, row = packed % 16 + CornerLow + dy;
      if (!CornerFits(column, row)) continue;  // a carry keeps a cell on the board
      k.bytes[level.slotByte[n]] = PackCorner(column, row);
      SortGroups(level, &k);
    }
    next[count].hash = HashKey(k);
    PrefetchKey(seen, next[count].hash);
    next[count].carried = CarryingPlatform;
    next[count].direction = std::uint8_t(direction);
    ++count;
  }
  return count;
}

// The guided search's estimate of the moves still needed: the shortest walk, cell by cell as
// if the board were all land, from the Player through every ball still lying. No solution is
// shorter, and one move changes it by at most one, so the first solution the guided search
// takes from its queue is a shortest one.
struct Estimate {
  std::uint8_t moves[BoardCells * BoardCells][1 << MaxBallsInRecord];
};

void MakeEstimate(const Level& level, Estimate* estimate) {
  int ballCell[MaxBallsInRecord];
  for (int b = 0; b < MaxBallsInRecord; ++b) ballCell[b] = -1;
  for (int cell = 0; cell < BoardCells * BoardCells; ++cell) {
    for (int b = 0; b < MaxBallsInRecord; ++b) {
      if (level.ballsAt[cell] & (1u << b)) ballCell[b] = cell;
    }
  }
  auto distance = [](int a, int b) {
    return std::abs(a / BoardCells - b / BoardCells) + std::abs(a % BoardCells - b % BoardCells);
  };
  // fromBall[mask][b]: the shortest walk from ball b through the other balls of mask.
  int fromBall[1 << MaxBallsInRecord][MaxBallsInRecord];
  for (int mask = 0; mask < (1 << MaxBallsInRecord); ++mask) {
    for (int b = 0; b < MaxBallsInRecord; ++b) {
      int best = 0;
      const int rest = mask & ~(1 << b);
      if (rest != 0) {
        best = 1 << 20;
        for (int c = 0; c < MaxBallsInRecord; ++c) {
          if (!(rest & (1 << c)) || ballCell[c] < 0 || ballCell[b] < 0) continue;
          best = std::min(best, distance(ballCell[b], ballCell[c]) + fromBall[rest][c]);
        }
      }
      fromBall[mask][b] = best;
    }
  }
  for (int cell = 0; cell < BoardCells * BoardCells; ++cell) {
    for (int mask = 0; mask < (1 << MaxBallsInRecord); ++mask) {
      int best = mask == 0 ? 0 : 1 << 20;
      for (int b = 0; b < MaxBallsInRecord; ++b) {
        if (!(mask & (1 << b)) || ballCell[b] < 0) continue;
        best = std::min(best, distance(cell, ballCell[b]) + fromBall[mask][b]);
      }
      estimate->moves[cell][mask] = std::uint8_t(std::min(best, 255));
    }
  }
}

constexpr char MoveLetters[] = "LURD";  // DirLeft..DirDown

// Every state found, in the order found; parent[i] is the index of the state it came from
// times four plus its move's direction - 1 (the start's parent is itself). The arrays are
// reserved for the most states the search may hold and filled as it goes.
struct Search {
  MappedArray<Key> states;
  MappedArray<std::uint32_t> parent;
  MappedArray<std::uint8_t> carried;
  std::uint64_t count = 0;
  KeySet seen;
};

void TracePath(const Search& search, std::uint64_t goal, SolveResult* result) {
  for (std::uint64_t i = goal; i != 0; i = search.parent.data[i] / 4) {
    result->moves.push_back(MoveLetters[search.parent.data[i] % 4]);
    result->carried.push_back(search.carried.data[i]);
  }
  std::reverse(result->moves.begin(), result->moves.end());
  std::reverse(result->carried.begin(), result->carried.end());
}

void Finish(SolveOutcome outcome, const Search& search, SolveResult* result) {
  result->outcome = outcome;
  result->states = search.count;
  if (outcome == SolveOutcome::Solved) TracePath(search, search.count - 1, result);
  if (outcome == SolveOutcome::GaveUp) {
    result->error = "gave up after " + std::to_string(search.count) + " states";
  }
}

void SearchFrom(const Level& level, const Key& start, const SolveOptions& options,
                SolveResult* result) {
  // The parent links hold an index times four in 32 bits.
  const std::uint64_t maxStates =
      std::clamp<std::uint64_t>(options.maxStates, 1, std::uint64_t(1) << 30);
  Search search;
  if (!MapArray(&search.states, maxStates) || !MapArray(&search.parent, maxStates) ||
      !MapArray(&search.carried, maxStates) || !InitKeySet(&search.seen, 1 << 12)) {
    result->outcome = SolveOutcome::GaveUp;
    result->error = "not enough memory for " + std::to_string(maxStates) + " states";
    return;
  }
  InsertKey(&search.seen, start, HashKey(start));
  search.states.data[search.count++] = start;

  if (level.allBalls != 0 && start.bytes[BallsByte] == 0) {
    Finish(SolveOutcome::Solved, search, result);
    return;
  }

  Key placed;  // the platforms the BoardGrid shows now
  placed.bytes[PlayerByte] = 0;
  for (std::uint64_t i = 0; i < search.count; ++i) {
    const Key key = search.states.data[i];
    PlaceKey(level, key, &placed);

    Successor next[4];
    const int count = Successors(level, key, options, search.seen, next);
    for (int m = 0; m < count; ++m) {
      if (!RoomForOneMore(&search.seen)) {
        Finish(SolveOutcome::GaveUp, search, result);
        return;
      }
      if (!InsertKey(&search.seen, next[m].key, next[m].hash)) continue;
      if (search.count >= maxStates) {
        Finish(SolveOutcome::GaveUp, search, result);
        return;
      }
      const std::uint64_t at = search.count++;
      search.states.data[at] = next[m].key;
      search.parent.data[at] = std::uint32_t(i * 4 + next[m].direction - 1);
      search.carried.data[at] = next[m].carried;
      if (level.allBalls != 0 && next[m].key.bytes[BallsByte] == 0) {
        Finish(SolveOutcome::Solved, search, result);
        return;
      }
    }
  }
  Finish(SolveOutcome::Unsolvable, search, result);
}

// The guided search: states are taken in order of moves made plus the estimate of moves to go
// (A*), in buckets by that sum. A state reached again by a shorter way before it is taken is
// queued again; its older entry is skipped.
void SearchGuided(const Level& level, const Key& start, const SolveOptions& options,
                  SolveResult* result) {
  const std::uint64_t maxStates =
      std::clamp<std::uint64_t>(options.maxStates, 1, std::uint64_t(1) << 30);
  Search search;
  MappedArray<std::uint16_t> moves;
  MappedArray<std::uint8_t> taken;
  MappedArray<Estimate> estimate;
  if (!MapArray(&search.states, maxStates) || !MapArray(&search.parent, maxStates) ||
      !MapArray(&search.carried, maxStates) || !MapArray(&moves, maxStates) ||
      !MapArray(&taken, maxStates) || !MapArray(&estimate, 1) ||
      !InitKeySet(&search.seen, 1 << 12, true)) {
    result->outcome = SolveOutcome::GaveUp;
    result->error = "not enough memory for " + std::to_string(maxStates) + " states";
    return;
  }
  MakeEstimate(level, estimate.data);
  auto toGo = [&estimate](const Key& key) {
    return estimate.data->moves[key.bytes[PlayerByte] - 1][key.bytes[BallsByte]];
  };
  std::vector<std::vector<std::uint32_t>> buckets(256);
  auto queue = [&](std::uint32_t index) {
    const std::size_t f = moves.data[index] + toGo(search.states.data[index]);
    if (f >= buckets.size()) buckets.resize(f + 1);
    buckets[f].push_back(index);
  };
  const std::uint64_t first = FindSlot(search.seen, start, HashKey(start));
  search.seen.slots.data[first] = start;
  search.seen.ids.data[first] = 0;
  search.seen.count = 1;
  search.states.data[search.count++] = start;
  queue(0);

  Key placed;
  placed.bytes[PlayerByte] = 0;
  for (std::size_t f = 0; f < buckets.size(); ++f) {
    // Last in, first out: among states of one sum the deepest come first, which reaches a
    // solution in the last bucket soonest. A move can leave the sum as it was, so the bucket
    // may grow while it is emptied.
    while (!buckets[f].empty()) {
      const std::uint32_t i = buckets[f].back();
      buckets[f].pop_back();
      if (taken.data[i] || moves.data[i] + toGo(search.states.data[i]) != f) continue;
      taken.data[i] = 1;
      const Key key = search.states.data[i];
      if (level.allBalls != 0 && key.bytes[BallsByte] == 0) {
        result->outcome = SolveOutcome::Solved;
        result->states = search.count;
        TracePath(search, i, result);
        return;
      }
      PlaceKey(level, key, &placed);
      Successor next[4];
      const int count = Successors(level, key, options, search.seen, next);
      for (int m = 0; m < count; ++m) {
        if (!RoomForOneMore(&search.seen)) {
          Finish(SolveOutcome::GaveUp, search, result);
          return;
        }
        const std::uint64_t slot = FindSlot(search.seen, next[m].key, next[m].hash);
        std::uint32_t at;
        if (EmptySlot(search.seen.slots.data[slot])) {
          if (search.count >= maxStates) {
            Finish(SolveOutcome::GaveUp, search, result);
            return;
          }
          at = std::uint32_t(search.count++);
          search.seen.slots.data[slot] = next[m].key;
          search.seen.ids.data[slot] = at;
          ++search.seen.count;
          search.states.data[at] = next[m].key;
        } else {
          at = search.seen.ids.data[slot];
          if (taken.data[at] || moves.data[at] <= moves.data[i] + 1) continue;
        }
        moves.data[at] = std::uint16_t(moves.data[i] + 1);
        search.parent.data[at] = std::uint32_t(i * 4 + next[m].direction - 1);
        search.carried.data[at] = next[m].carried;
        queue(at);
      }
    }
  }
  Finish(SolveOutcome::Unsolvable, search, result);
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

SolveResult SolveFromPosition(const Position& from, const SolveOptions& options) {
  const auto began = std::chrono::steady_clock::now();
  const double cpuBegan = platform::ThreadCpuSeconds();
  // The search moves the game's own Player and platforms; the game's position is put back
  // whole when it is done.
  const Position game = CapturePosition();
  RestorePosition(from);
  SolveResult result;
  Level level;
  Key start;
  if (from.levelSolved) {
    result.outcome = SolveOutcome::Solved;
    result.states = 1;
  } else if (!DescribeLevel(&level, &start)) {
    // A Player off the board never moves; he takes only the balls lying exactly where he is.
    std::uint8_t left = 0;
    for (std::int32_t n = 0; n < BallTotal && n < MaxBallsInRecord; ++n) {
      const bool under = BallBobs[n].x == PlayerBob.x && BallBobs[n].y == PlayerBob.y;
      if (BallAlive[n] && !under) left |= std::uint8_t(1u << n);
    }
    result.outcome =
        level.allBalls != 0 && left == 0 ? SolveOutcome::Solved : SolveOutcome::Unsolvable;
    result.states = 1;
  } else if (options.guided) {
    SearchGuided(level, start, options, &result);
  } else {
    SearchFrom(level, start, options, &result);
  }
  RestorePosition(game);
  result.seconds = SecondsSince(began);
  result.cpuSeconds = platform::ThreadCpuSeconds() - cpuBegan;
  return result;
}

SolveResult SolveLevelRecord(const std::uint8_t record[LevelRecordSize],
                             const SolveOptions& options) {
  LevelLayout layout;
  DecodeLevelRecord(record, &layout);
  if (!CanSetUpLevel(layout)) return ErrorResult("not a level: its set-up shows \"Hov!\"");
  const Position game = CapturePosition();
  SetUpLevel(record);
  const Position start = CapturePosition();
  RestorePosition(game);
  return SolveFromPosition(start, options);
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

std::string SolutionScript(const std::string& moves, const std::string& title) {
  constexpr int FramesPerMove = 10;  // 40 pixels at 4 a frame
  std::string script;
  if (!title.empty()) script += "# " + title + "\n";
  script += "frames 1\n";
  for (std::size_t i = 0; i < moves.size();) {
    std::size_t j = i;
    while (j < moves.size() && moves[j] == moves[i]) ++j;
    const char* key = moves[i] == 'L'   ? "LEFT"
                      : moves[i] == 'U' ? "UP"
                      : moves[i] == 'R' ? "RIGHT"
                                        : "DOWN";
    script += "frames " + std::to_string((j - i) * FramesPerMove) + " " + key + "\n";
    i = j;
  }
  return script;
}
