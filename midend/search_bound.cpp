// One platform's game, solved backwards once for a level: the floor under the search's estimate.
#include "midend/search_bound.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "midend/search_table.h"
#include "play/movement.h"

namespace {

constexpr int Cells = BoardCells * BoardCells;
constexpr std::uint16_t Never = 0xFFFF;
// No table grows past this many entries (a level of five balls and a platform that floats over
// most of the board stays under it).
constexpr std::size_t MaxEntries = std::size_t(1) << 21;
// The games of two together stay under this many (8 MB; level 5's three hold 4.4 million).
constexpr std::size_t MaxPairEntries = std::size_t(1) << 23;

// The level with only the given platforms on it (-1 for none).
Level Alone(const Level& level, const std::array<int, 2>& slots) {
  Level some;
  std::memcpy(some.terrain, level.terrain, sizeof some.terrain);
  for (const int n : slots) {
    if (n < 0) continue;
    some.platformType[some.platformCount] = level.platformType[n];
    some.platform[some.platformCount++] = level.platform[n];
  }
  return some;
}

// Platform k of a game at a packed corner.
void Put(std::uint8_t corner, int k, GameState* s) {
  s->platformX[k] = (corner / 16 + CornerLow) * CellPixels;
  s->platformY[k] = (corner % 16 + CornerLow) * CellPixels;
}

// Every place platform n can float to on its own, from where it stands (packed corners, sorted).
// Its moves are the rules' and can be undone, so any of them leads to the same places.
std::vector<std::uint8_t> Places(const Level& level, const GameState& from, int n) {
  const std::int64_t column = CellOf(from.platformX[n]), row = CellOf(from.platformY[n]);
  if (!CornerFits(column, row)) return {};
  const Level one = Alone(level, {n, -1});
  std::vector<std::uint8_t> places{PackCorner(column, row)};
  bool seen[256] = {};
  seen[places[0]] = true;
  for (std::size_t i = 0; i < places.size(); ++i) {
    GameState s;
    Put(places[i], 0, &s);
    Board board;
    BuildBoard(one, s, &board);
    for (int d = DirLeft; d <= DirDown; ++d) {
      if (!CanPlatformMove(one, board, s, 0, d)) continue;
      int dx, dy;
      DirectionStep(d, &dx, &dy);
      const int c = places[i] / 16 + CornerLow + dx, r = places[i] % 16 + CornerLow + dy;
      if (!CornerFits(c, r) || seen[PackCorner(c, r)]) continue;
      seen[PackCorner(c, r)] = true;
      places.push_back(PackCorner(c, r));
    }
  }
  std::sort(places.begin(), places.end());
  return places;
}

// The board cells platform n covers at a packed corner.
void Cover(const Level& level, int n, std::uint8_t corner, std::uint8_t* covered) {
  EachCoveredCell(level.platform[n], corner / 16 + CornerLow, corner % 16 + CornerLow,
                  [&](int x, int y) { covered[x * BoardCells + y] = 1; });
}

// The cells every platform but those given could ever cover.
std::vector<std::uint8_t> Walked(const PlatformBounds& bounds, const std::array<int, 2>& slots) {
  std::vector<std::uint8_t> walked(Cells, 0);
  for (std::int32_t q = 0; q < bounds.level.platformCount; ++q) {
    for (int c = 0; c < Cells && q != slots[0] && q != slots[1]; ++c)
      walked[std::size_t(c)] |= bounds.covers[std::size_t(q) * Cells + std::size_t(c)];
  }
  return walked;
}

}  // namespace

void BallsAt(const Level& level, std::uint8_t* ballsAt) {
  std::memset(ballsAt, 0, Cells);
  for (std::int32_t b = 0; b < level.ballCount; ++b) {
    if (level.ballX[b] % CellPixels != 0 || level.ballY[b] % CellPixels != 0) continue;
    const std::int64_t column = CellOf(level.ballX[b]), row = CellOf(level.ballY[b]);
    if (OnBoard(column, row)) ballsAt[column * BoardCells + row] |= std::uint8_t(1u << b);
  }
}

namespace {

// A game of the platforms in `slots`: where the Player stands and the carries, made a few places
// at a time (Begin, AddPlaces until every place is in, then Finish), then solved a set of lying
// balls at a time (SolveLayer). `bounds->walked` is the water the others could cover.
void Begin(const std::array<int, 2>& slots, PlatformBounds* bounds) {
  PlatformBound& out = bounds->tables.emplace_back();
  out.count = slots[1] < 0 ? 1 : 2;
  out.places = 1;
  for (int k = 0; k < out.count; ++k) {
    const std::vector<std::uint8_t>& places = bounds->reach[std::size_t(slots[k])];
    out.slot[k] = slots[k];
    out.placesOf[k] = int(places.size());
    out.places *= out.placesOf[k];
    for (std::size_t i = 0; i < places.size(); ++i) out.place[k][places[i]] = std::uint8_t(i + 1);
  }
  const std::size_t states = std::size_t(out.places) * Cells;
  out.moves.assign((std::size_t(1) << bounds->level.ballCount) * states, 0);
  bounds->stands.assign(states, 0);
  bounds->carries.clear();
  bounds->placesDone = 0;
  bounds->nextLying = 0;
}

void AddPlaces(int count, PlatformBounds* bounds) {
  PlatformBound& out = bounds->tables.back();
  const Level some = Alone(bounds->level, {out.slot[0], out.count == 2 ? out.slot[1] : -1});
  std::vector<std::uint8_t>& stands = bounds->stands;
  const int last = std::min(out.places, bounds->placesDone + count);
  for (int i = bounds->placesDone; i < last; ++i) {
    // The platforms' places: i counts the last platform's fastest.
    GameState s;
    std::uint8_t corners[2];
    for (int k = out.count - 1, rest = i; k >= 0; rest /= out.placesOf[k], --k) {
      corners[k] = bounds->reach[std::size_t(out.slot[k])][std::size_t(rest % out.placesOf[k])];
      Put(corners[k], k, &s);
    }
    Board board;
    BuildBoard(some, s, &board);
    // The Player stands on land, a platform, or water another platform could cover, and walks
    // between any two such cells side by side (WalksOnto, and the others' water besides).
    for (int c = 0; c < Cells; ++c) {
      const std::int32_t kind = board.cell[c / BoardCells][c % BoardCells];
      stands[std::size_t(i) * Cells + c] = WalksOnto(kind) || bounds->walked[std::size_t(c)];
    }
    // A carry (only ever from a platform) is the rules' own.
    for (int c = 0; c < Cells; ++c) {
      if (board.cell[c / BoardCells][c % BoardCells] != CellPlatform) continue;
      s.playerX = c / BoardCells * CellPixels;
      s.playerY = c % BoardCells * CellPixels;
      for (int d = DirLeft; d <= DirDown; ++d) {
        int dx, dy;
        DirectionStep(d, &dx, &dy);
        const int x = c / BoardCells + dx, y = c % BoardCells + dy;
        if (!OnBoard(x, y)) continue;
        DecideMove(some, board, &s, d);
        // The platform carried is the one the board shows under him (as MakeMoveOn finds it).
        const int k = board.owner[c / BoardCells][c % BoardCells];
        if (!s.movement.carrying || k < 0) continue;
        std::uint8_t after[2] = {corners[0], corners[1]};
        after[k] = PackCorner(corners[k] / 16 + CornerLow + dx, corners[k] % 16 + CornerLow + dy);
        const int place = out.PlaceOf(after);
        if (place >= 0) {
          bounds->carries.push_back(
              {std::uint32_t(i * Cells + c), std::uint32_t(place * Cells + x * BoardCells + y)});
        }
      }
    }
  }
  bounds->placesDone = last;
}

void Finish(PlatformBounds* bounds) {
  // The carries backwards: those into state s come from states intoFrom[into[s]..into[s + 1]).
  const std::vector<std::array<std::uint32_t, 2>>& carries = bounds->carries;
  const std::size_t states = std::size_t(bounds->tables.back().places) * Cells;
  std::vector<std::uint32_t>&into = bounds->into, &intoFrom = bounds->intoFrom;
  into.assign(states + 1, 0);
  for (const auto& carry : carries) ++into[carry[1] + 1];
  for (std::size_t s = 0; s < states; ++s) into[s + 1] += into[s];
  intoFrom.resize(carries.size());
  std::vector<std::uint32_t> fill(into.begin(), into.end() - 1);
  for (const auto& [from, to] : carries) intoFrom[fill[to]++] = from;
  // From here on the carries are looked up by where they end.
  bounds->carries.clear();
  bounds->carries.shrink_to_fit();
  bounds->nextLying = 1;
  bounds->layerStage = 0;
}

// Makes the newest table's layer for the next set m of lying balls (the smaller sets' layers
// made) for about `work` entries, and returns the entries' worth done: from each state the
// fewest moves to a step that takes a ball (and on from there), spread backwards to the states
// before, a bucket of moves at a time; a layer made, the next set is next.
std::uint64_t SolveLayer(PlatformBounds* bounds, std::uint64_t work) {
  const int m = bounds->nextLying;
  PlatformBound& out = bounds->tables.back();
  std::uint8_t ballsAt[Cells];
  BallsAt(bounds->level, ballsAt);
  const std::vector<std::uint8_t>& stands = bounds->stands;
  const std::size_t states = std::size_t(out.places) * Cells;
  std::vector<std::uint16_t>& dist = bounds->dist;
  std::vector<std::vector<std::uint32_t>>& bucket = bounds->bucket;
  const auto inLayer = [&](std::size_t s) { return stands[s] && !(ballsAt[s % Cells] & m); };
  std::uint64_t done = 0;
  if (bounds->layerStage == 0) {
    dist.assign(states, Never);
    bucket.resize(255);
    for (auto& b : bucket) b.clear();
    // A step onto a ball takes it: from there on, the smaller set's moves.
    const auto seed = [&](std::size_t s, std::size_t onto) {
      const std::uint8_t taken = ballsAt[onto % Cells] & m;
      const std::uint8_t after = out.moves[std::size_t(m & ~taken) * states + onto];
      if (after == PlatformBound::Lost || after + 1 >= dist[s]) return;
      dist[s] = std::uint16_t(std::min(after + 1, 254));
      bucket[dist[s]].push_back(std::uint32_t(s));
    };
    for (int b = 0; b < Cells; ++b) {
      if (!(ballsAt[b] & m)) continue;
      for (int d = DirLeft; d <= DirDown; ++d) {
        int dx, dy;
        DirectionStep(d, &dx, &dy);
        const int x = b / BoardCells + dx, y = b % BoardCells + dy;
        if (!OnBoard(x, y)) continue;
        for (std::size_t place = 0; place < std::size_t(out.places); ++place) {
          const std::size_t onto = place * Cells + std::size_t(b);
          const std::size_t s = place * Cells + std::size_t(x * BoardCells + y);
          if (stands[onto] && inLayer(s)) seed(s, onto);
        }
      }
      // And a carry that ends on it.
      for (std::size_t place = 0; place < std::size_t(out.places); ++place) {
        const std::size_t onto = place * Cells + std::size_t(b);
        for (std::uint32_t e = bounds->into[onto]; e < bounds->into[onto + 1]; ++e) {
          if (inLayer(bounds->intoFrom[e])) seed(bounds->intoFrom[e], onto);
        }
      }
    }
    done += states / 8 + bounds->intoFrom.size();
    bounds->layerStage = 1;
    bounds->bucketAt = 0;
    bounds->bucketPos = 0;
  }
  if (bounds->layerStage == 1) {
    // Moves past 254 count as 254: the bound only ever falls short.
    while (bounds->bucketAt < 255 && done < work) {
      const int k = bounds->bucketAt;
      if (bounds->bucketPos >= bucket[std::size_t(k)].size()) {
        ++bounds->bucketAt;
        bounds->bucketPos = 0;
        continue;
      }
      const std::uint32_t s = bucket[std::size_t(k)][bounds->bucketPos++];
      if (dist[s] != k) continue;
      const int next = std::min(k + 1, 254);
      const auto reach = [&](std::size_t r) {
        if (!inLayer(r) || dist[r] <= next) return;
        dist[r] = std::uint16_t(next);
        bucket[std::size_t(next)].push_back(std::uint32_t(r));
      };
      // Walks go both ways; carries are looked up by where they end.
      const int c = int(s % Cells);
      const int column = c / BoardCells, row = c % BoardCells;
      if (column > 0) reach(s - BoardCells);
      if (column < BoardCells - 1) reach(s + BoardCells);
      if (row > 0) reach(s - 1);
      if (row < BoardCells - 1) reach(s + 1);
      for (std::uint32_t e = bounds->into[s]; e < bounds->into[s + 1]; ++e)
        reach(bounds->intoFrom[e]);
      done += 4;
    }
    if (bounds->bucketAt < 255) return done;
    bounds->layerStage = 2;
    bounds->layerAt = 0;
  }
  // Written into the table, a stretch at a time.
  const std::size_t end =
      std::min(states, bounds->layerAt +
                           std::size_t(std::max<std::uint64_t>(work - std::min(work, done), 4096)));
  std::uint8_t* layer = &out.moves[std::size_t(m) * states];
  for (std::size_t s = bounds->layerAt; s < end; ++s) {
    // A state the game never stands in gives no bound.
    layer[s] = !inLayer(s) ? 0 : dist[s] == Never ? PlatformBound::Lost : std::uint8_t(dist[s]);
  }
  done += end - bounds->layerAt;
  bounds->layerAt = end;
  if (end == states) {
    bounds->layerStage = 0;
    ++bounds->nextLying;
  }
  return done;
}

}  // namespace

namespace {

// The tables made last, for any search that wants the same.
std::mutex SharedLock;
std::shared_ptr<PlatformBounds> Shared;

// The tables were made (or are being made) for the level with its platforms where `from` has
// them, with pairs where they are wanted (or where they are not: they are only the stronger).
bool Fits(const PlatformBounds& bounds, const Level& level, const GameState& from, bool pairs) {
  if (!bounds.made || !(bounds.level == level) || (pairs && !bounds.pairs)) return false;
  for (std::int32_t n = 0; n < level.platformCount; ++n) {
    const std::int64_t column = CellOf(from.platformX[n]), row = CellOf(from.platformY[n]);
    const std::vector<std::uint8_t>& reach = bounds.reach[std::size_t(n)];
    const bool in = CornerFits(column, row)
                        ? std::binary_search(reach.begin(), reach.end(), PackCorner(column, row))
                        : reach.empty();
    if (!in) return false;
  }
  return true;
}

}  // namespace

void StartPlatformBounds(const Level& level, const GameState& from, bool pairs,
                         std::shared_ptr<PlatformBounds>* held) {
  const bool fits = *held && Fits(**held, level, from, pairs);
  if (fits && (*held)->pairs) return;
  {
    // Made tables that fit, and with pairs where those held have none, are taken instead.
    const std::lock_guard<std::mutex> lock(SharedLock);
    if (Shared && Fits(*Shared, level, from, pairs) && (!fits || Shared->pairs)) {
      *held = Shared;
      return;
    }
  }
  if (fits) return;
  // New ones: those held may be shared, and made tables never change.
  *held = std::make_shared<PlatformBounds>();
  PlatformBounds* bounds = held->get();
  bounds->level = level;
  bounds->pairs = pairs;
  bounds->made = true;
  bounds->covers.assign(std::size_t(level.platformCount) * Cells, 0);
  for (std::int32_t n = 0; n < level.platformCount; ++n) {
    bounds->reach.push_back(Places(level, from, n));
    for (const std::uint8_t corner : bounds->reach.back())
      Cover(level, n, corner, &bounds->covers[std::size_t(n) * Cells]);
  }
  std::uint8_t ballsAt[Cells];
  BallsAt(level, ballsAt);
  for (std::int32_t n = 0; n < level.platformCount; ++n) {
    // A platform earns a table when it floats where no other can and a ball lies beyond what
    // the Player can walk to over land and the others' water (from where he stands now).
    const std::vector<std::uint8_t> walked = Walked(*bounds, {n, -1});
    bool seen[Cells] = {};
    int queue[Cells], head = 0, tail = 0;
    const std::int64_t column = CellOf(from.playerX), row = CellOf(from.playerY);
    if (OnBoard(column, row)) {
      queue[tail++] = int(column * BoardCells + row);
      seen[queue[0]] = true;
    }
    while (head < tail) {
      const int c = queue[head++];
      for (int d = DirLeft; d <= DirDown; ++d) {
        int dx, dy;
        DirectionStep(d, &dx, &dy);
        const int x = c / BoardCells + dx, y = c % BoardCells + dy;
        if (!OnBoard(x, y) || seen[x * BoardCells + y]) continue;
        const int next = x * BoardCells + y;
        if (level.terrain[x][y] != CellLand && !walked[next]) continue;
        seen[next] = true;
        queue[tail++] = next;
      }
    }
    bool beyond = false, own = false;
    for (int c = 0; c < Cells; ++c) {
      beyond = beyond || (ballsAt[c] != 0 && !seen[c]);
      own = own ||
            (bounds->covers[std::size_t(n) * Cells + std::size_t(c)] && !walked[std::size_t(c)] &&
             level.terrain[c / BoardCells][c % BoardCells] != CellLand);
    }
    const std::size_t entries =
        (std::size_t(1) << level.ballCount) * bounds->reach[std::size_t(n)].size() * Cells;
    if (beyond && own && entries <= MaxEntries) bounds->waiting.push_back({n, -1});
  }
  // And with each of them, every platform that can float on its water (and so stand in its way)
  // in a game of two.
  const std::size_t singles = bounds->waiting.size();
  std::size_t pairEntries = 0;
  for (std::size_t i = 0; i < singles && pairs; ++i) {
    const int n = bounds->waiting[i][0];
    for (std::int32_t m = 0; m < level.platformCount; ++m) {
      bool meet = false;
      for (int c = 0; c < Cells && m != n; ++c) {
        meet = meet || (bounds->covers[std::size_t(n) * Cells + std::size_t(c)] &&
                        bounds->covers[std::size_t(m) * Cells + std::size_t(c)]);
      }
      const std::size_t entries = (std::size_t(1) << level.ballCount) *
                                  bounds->reach[std::size_t(n)].size() *
                                  bounds->reach[std::size_t(m)].size() * Cells;
      // In slot order, as the level stacks them (the board shows the higher slot on top).
      const std::array<int, 2> pair{std::min(n, m), std::max(n, m)};
      if (meet && pairEntries + entries <= MaxPairEntries &&
          !bounds->reach[std::size_t(m)].empty() &&
          std::find(bounds->waiting.begin(), bounds->waiting.end(), pair) ==
              bounds->waiting.end()) {
        bounds->waiting.push_back(pair);
        pairEntries += entries;
      }
    }
  }
  // A game of two never needs fewer moves than either platform's game alone (the other's water is
  // no longer walked on): a platform in a pair needs no table of its own.
  std::vector<std::array<int, 2>>& w = bounds->waiting;
  const auto paired = [&](int n) {
    return std::any_of(w.begin() + std::ptrdiff_t(singles), w.end(),
                       [&](const std::array<int, 2>& p) { return p[0] == n || p[1] == n; });
  };
  w.erase(std::remove_if(w.begin(), w.begin() + std::ptrdiff_t(singles),
                         [&](const std::array<int, 2>& p) { return paired(p[0]); }),
          w.begin() + std::ptrdiff_t(singles));
}

namespace {

bool Make(PlatformBounds* bounds, std::uint64_t work, std::uint64_t* used) {
  // The work is counted in table entries: a place's moves cost about as much as an entry of
  // each of its cells, the moves turned backwards half that.
  std::uint64_t done = 0;
  while (done < work) {
    const int lying = 1 << bounds->level.ballCount;
    if (!bounds->tables.empty()) {
      const int places = bounds->tables.back().places;
      if (bounds->placesDone < places) {
        const int before = bounds->placesDone;
        AddPlaces(int(std::max<std::uint64_t>(1, (work - done) / Cells)), bounds);
        done += std::uint64_t(bounds->placesDone - before) * Cells;
        continue;
      }
      if (bounds->nextLying == 0) {
        Finish(bounds);
        done += std::uint64_t(places) * Cells / 2;
        continue;
      }
      if (bounds->nextLying < lying) {
        done += SolveLayer(bounds, work - done);
        continue;
      }
    }
    if (bounds->waiting.empty()) break;
    const std::array<int, 2> slots = bounds->waiting.front();
    bounds->waiting.erase(bounds->waiting.begin());
    bounds->walked = Walked(*bounds, slots);
    Begin(slots, bounds);
  }
  *used = done;
  const bool made = bounds->waiting.empty() &&
                    (bounds->tables.empty() || bounds->nextLying >= 1 << bounds->level.ballCount);
  if (made) {
    // What only the making needs goes.
    bounds->carries.clear();
    bounds->carries.shrink_to_fit();
    bounds->into.clear();
    bounds->into.shrink_to_fit();
    bounds->intoFrom.clear();
    bounds->intoFrom.shrink_to_fit();
    bounds->stands.clear();
    bounds->stands.shrink_to_fit();
    bounds->dist.clear();
    bounds->dist.shrink_to_fit();
    bounds->bucket.clear();
    bounds->bucket.shrink_to_fit();
    bounds->complete = true;
  }
  return made;
}

}  // namespace

bool MakePlatformBounds(const std::shared_ptr<PlatformBounds>& bounds, std::uint64_t work,
                        std::uint64_t* used) {
  *used = 0;
  if (bounds->complete) return true;
  if (!Make(bounds.get(), work, used)) return false;
  // Shared, unless they would take the place of the same level's tables with pairs.
  const std::lock_guard<std::mutex> lock(SharedLock);
  const bool weaker = Shared && Shared->pairs && !bounds->pairs && Shared->level == bounds->level &&
                      Shared->reach == bounds->reach;
  if (!weaker) Shared = bounds;
  return true;
}

void ForgetSharedPlatformBounds() {
  const std::lock_guard<std::mutex> lock(SharedLock);
  Shared.reset();
}

std::uint64_t PlatformBoundBytes(const PlatformBounds& bounds) {
  std::uint64_t bytes = 0;
  for (const PlatformBound& t : bounds.tables) bytes += sizeof t + t.moves.capacity();
  bytes += bounds.carries.capacity() * sizeof bounds.carries[0] +
           (bounds.into.capacity() + bounds.intoFrom.capacity()) * sizeof(std::uint32_t);
  bytes += bounds.stands.capacity() + bounds.walked.capacity() + 2 * bounds.dist.capacity();
  return bytes;
}
