// One platform's game, solved backwards once for a level: the floor under the search's estimate.
#include "midend/search_bound.h"

#include <algorithm>
#include <cstring>

#include "midend/search_table.h"
#include "play/movement.h"

namespace {

constexpr int Cells = BoardCells * BoardCells;
constexpr std::uint16_t Never = 0xFFFF;
// No table grows past this many entries (a level of five balls and a platform that floats over
// most of the board stays under it).
constexpr std::size_t MaxEntries = std::size_t(1) << 21;

// The level with only platform n on it.
Level Alone(const Level& level, int n) {
  Level one;
  std::memcpy(one.terrain, level.terrain, sizeof one.terrain);
  one.platformCount = 1;
  one.platformType[0] = level.platformType[n];
  one.platform[0] = level.platform[n];
  return one;
}

GameState At(std::uint8_t corner) {
  GameState s;
  s.platformX[0] = (corner / 16 + CornerLow) * CellPixels;
  s.platformY[0] = (corner % 16 + CornerLow) * CellPixels;
  return s;
}

// Every place platform n can float to on its own, from where it stands (packed corners, sorted).
// Its moves are the rules' and can be undone, so any of them leads to the same places.
std::vector<std::uint8_t> Places(const Level& level, const GameState& from, int n) {
  const std::int64_t column = CellOf(from.platformX[n]), row = CellOf(from.platformY[n]);
  if (!CornerFits(column, row)) return {};
  const Level one = Alone(level, n);
  std::vector<std::uint8_t> places{PackCorner(column, row)};
  bool seen[256] = {};
  seen[places[0]] = true;
  for (std::size_t i = 0; i < places.size(); ++i) {
    const GameState s = At(places[i]);
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
  const int column = corner / 16 + CornerLow, row = corner % 16 + CornerLow;
  for (int dx = 0; dx < 3; ++dx) {
    for (int dy = 0; dy < 3; ++dy) {
      if (level.platform[n].shape[dx][dy] == 1 && OnBoard(column + dx, row + dy))
        covered[(column + dx) * BoardCells + row + dy] = 1;
    }
  }
}

// The cells every platform but n could ever cover.
std::vector<std::uint8_t> Walked(const PlatformBounds& bounds, int n) {
  std::vector<std::uint8_t> walked(Cells, 0);
  for (std::int32_t q = 0; q < bounds.level.platformCount; ++q) {
    for (int c = 0; c < Cells && q != n; ++c)
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

// Platform n's game, its moves forwards and then backwards, made a few places at a time:
// Begin, AddPlaces until every place is in, then Finish. `bounds->walked` is the water the
// others could cover.
void Begin(int n, PlatformBounds* bounds) {
  const std::vector<std::uint8_t>& places = bounds->reach[std::size_t(n)];
  const int count = int(places.size());
  PlatformBound& out = bounds->tables.emplace_back();
  out.slot = n;
  out.places = count;
  for (int i = 0; i < count; ++i) out.place[places[i]] = std::uint8_t(i + 1);
  const std::size_t states = std::size_t(count) * Cells;
  out.moves.assign((std::size_t(1) << bounds->level.ballCount) * states, 0);
  bounds->stands.assign(states, 0);
  bounds->start.assign(states + 1, 0);
  bounds->to.clear();
  bounds->placesDone = 0;
  bounds->nextLying = 0;
}

void AddPlaces(int count, PlatformBounds* bounds) {
  PlatformBound& out = bounds->tables.back();
  const Level one = Alone(bounds->level, out.slot);
  const std::vector<std::uint8_t>& places = bounds->reach[std::size_t(out.slot)];
  std::vector<std::uint8_t>& stands = bounds->stands;
  std::vector<std::uint32_t>&start = bounds->start, &to = bounds->to;
  const int last = std::min(out.places, bounds->placesDone + count);
  for (int i = bounds->placesDone; i < last; ++i) {
    GameState s = At(places[i]);
    Board board;
    BuildBoard(one, s, &board);
    for (int c = 0; c < Cells; ++c) {
      const std::int32_t kind = board.cell[c / BoardCells][c % BoardCells];
      stands[std::size_t(i) * Cells + c] =
          kind == CellLand || kind == CellPlatform || bounds->walked[std::size_t(c)];
    }
    for (int c = 0; c < Cells; ++c) {
      const std::size_t from = std::size_t(i) * Cells + std::size_t(c);
      start[from] = std::uint32_t(to.size());
      if (!stands[from]) continue;
      // The walk onto land or a platform is the rules' (WalksOnto), the water the others could
      // cover is walked on besides, and a carry (only ever from the platform) is theirs too.
      const bool onPlatform = board.cell[c / BoardCells][c % BoardCells] == CellPlatform;
      s.playerX = c / BoardCells * CellPixels;
      s.playerY = c % BoardCells * CellPixels;
      for (int d = DirLeft; d <= DirDown; ++d) {
        int dx, dy;
        DirectionStep(d, &dx, &dy);
        const int x = c / BoardCells + dx, y = c % BoardCells + dy;
        if (!OnBoard(x, y)) continue;
        const int next = x * BoardCells + y;
        if (WalksOnto(board.cell[x][y]) || bounds->walked[std::size_t(next)])
          to.push_back(std::uint32_t(i * Cells + next));
        if (!onPlatform) continue;
        DecideMove(one, board, &s, d);
        if (!s.movement.carrying) continue;
        const int moved =
            out.place[PackCorner(places[i] / 16 + CornerLow + dx, places[i] % 16 + CornerLow + dy)];
        if (moved != 0) to.push_back(std::uint32_t((moved - 1) * Cells + next));
      }
    }
  }
  bounds->placesDone = last;
}

void Finish(PlatformBounds* bounds) {
  const std::size_t states = std::size_t(bounds->tables.back().places) * Cells;
  const std::vector<std::uint32_t>&start = bounds->start, &to = bounds->to;
  bounds->start[states] = std::uint32_t(to.size());
  std::vector<std::uint32_t>&backStart = bounds->backStart, &back = bounds->back;
  backStart.assign(states + 1, 0);
  back.resize(to.size());
  for (const std::uint32_t t : to) ++backStart[t + 1];
  for (std::size_t s = 0; s < states; ++s) backStart[s + 1] += backStart[s];
  std::vector<std::uint32_t> fill(backStart.begin(), backStart.end() - 1);
  for (std::size_t s = 0; s < states; ++s) {
    for (std::uint32_t e = start[s]; e < start[s + 1]; ++e) back[fill[to[e]]++] = std::uint32_t(s);
  }
  bounds->nextLying = 1;
}

// The newest table's layer for the set m of lying balls, the smaller sets' layers made: from
// each state the fewest moves to a step that takes a ball (and on from there), spread backwards
// to the states before.
void SolveLayer(int m, PlatformBounds* bounds) {
  PlatformBound& out = bounds->tables.back();
  std::uint8_t ballsAt[Cells];
  BallsAt(bounds->level, ballsAt);
  const std::vector<std::uint8_t>& stands = bounds->stands;
  const std::vector<std::uint32_t>&start = bounds->start, &to = bounds->to;
  const std::vector<std::uint32_t>&backStart = bounds->backStart, &back = bounds->back;
  const std::size_t states = std::size_t(out.places) * Cells;
  std::vector<std::uint16_t>& dist = bounds->dist;
  dist.assign(states, Never);
  std::vector<std::vector<std::uint32_t>>& bucket = bounds->bucket;
  bucket.resize(255);
  const auto inLayer = [&](std::size_t s) { return stands[s] && !(ballsAt[s % Cells] & m); };
  for (std::size_t s = 0; s < states; ++s) {
    if (!inLayer(s)) continue;
    for (std::uint32_t e = start[s]; e < start[s + 1]; ++e) {
      const std::uint8_t taken = ballsAt[to[e] % Cells] & m;
      if (!taken) continue;
      const std::uint8_t after = out.moves[std::size_t(m & ~taken) * states + to[e]];
      if (after != PlatformBound::Lost && after + 1 < dist[s])
        dist[s] = std::uint16_t(std::min(after + 1, 254));
    }
    if (dist[s] != Never) bucket[dist[s]].push_back(std::uint32_t(s));
  }
  // Moves past 254 count as 254: the bound only ever falls short.
  for (int k = 0; k < 255; ++k) {
    const int next = std::min(k + 1, 254);
    for (std::size_t q = 0; q < bucket[std::size_t(k)].size(); ++q) {
      const std::uint32_t s = bucket[std::size_t(k)][q];
      if (dist[s] != k) continue;
      for (std::uint32_t e = backStart[s]; e < backStart[s + 1]; ++e) {
        const std::uint32_t r = back[e];
        if (!inLayer(r) || dist[r] <= next) continue;
        dist[r] = std::uint16_t(next);
        bucket[std::size_t(next)].push_back(r);
      }
    }
  }
  std::uint8_t* layer = &out.moves[std::size_t(m) * states];
  for (std::size_t s = 0; s < states; ++s) {
    // A state the game never stands in gives no bound.
    layer[s] = !inLayer(s) ? 0 : dist[s] == Never ? PlatformBound::Lost : std::uint8_t(dist[s]);
  }
}

}  // namespace

void StartPlatformBounds(const Level& level, const GameState& from, PlatformBounds* bounds) {
  if (bounds->made && bounds->level == level) {
    bool same = true;
    for (std::int32_t n = 0; n < level.platformCount && same; ++n) {
      const std::int64_t column = CellOf(from.platformX[n]), row = CellOf(from.platformY[n]);
      const std::vector<std::uint8_t>& reach = bounds->reach[std::size_t(n)];
      same = CornerFits(column, row)
                 ? std::binary_search(reach.begin(), reach.end(), PackCorner(column, row))
                 : reach.empty();
    }
    if (same) return;
  }
  ClearPlatformBounds(bounds);
  bounds->level = level;
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
    const std::vector<std::uint8_t> walked = Walked(*bounds, n);
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
    if (beyond && own && entries <= MaxEntries) bounds->waiting.push_back(n);
  }
}

bool MakePlatformBounds(PlatformBounds* bounds, std::uint64_t work, std::uint64_t* used) {
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
        SolveLayer(bounds->nextLying++, bounds);
        done += std::uint64_t(places) * Cells;
        continue;
      }
    }
    if (bounds->waiting.empty()) break;
    const int n = bounds->waiting.front();
    bounds->waiting.erase(bounds->waiting.begin());
    bounds->walked = Walked(*bounds, n);
    Begin(n, bounds);
  }
  *used = done;
  const bool made = bounds->waiting.empty() &&
                    (bounds->tables.empty() || bounds->nextLying >= 1 << bounds->level.ballCount);
  if (made) {
    // What only the making needs goes.
    for (auto* v : {&bounds->start, &bounds->to, &bounds->backStart, &bounds->back}) {
      v->clear();
      v->shrink_to_fit();
    }
    bounds->stands.clear();
    bounds->stands.shrink_to_fit();
    bounds->dist.clear();
    bounds->dist.shrink_to_fit();
    bounds->bucket.clear();
    bounds->bucket.shrink_to_fit();
  }
  return made;
}

void ClearPlatformBounds(PlatformBounds* bounds) {
  bounds->tables.clear();
  bounds->tables.shrink_to_fit();
  bounds->reach.clear();
  bounds->waiting.clear();
  bounds->placesDone = bounds->nextLying = 0;
  bounds->made = false;
}

std::uint64_t PlatformBoundBytes(const PlatformBounds& bounds) {
  std::uint64_t bytes = 0;
  for (const PlatformBound& t : bounds.tables) bytes += sizeof t + t.moves.capacity();
  for (const auto* v : {&bounds.start, &bounds.to, &bounds.backStart, &bounds.back})
    bytes += v->capacity() * sizeof(std::uint32_t);
  bytes += bounds.stands.capacity() + bounds.walked.capacity() + 2 * bounds.dist.capacity();
  return bytes;
}
