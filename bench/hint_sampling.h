// Hints from anywhere a player can get to: positions drawn uniformly from everything a level can
// reach from its start, and a climb from the slowest of them to slower neighbours. It uses only
// the rules (MakeMove), so that a build before this one can be surveyed over the very same
// positions (bench/hint_before.sh).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "board/level.h"
#include "play/rules.h"

namespace hint_sampling {

// A position as a key: the Player's cell, the balls lying and every platform's corner (slot by
// slot), enough to give the state back.
struct Position {
  std::uint8_t b[16];
};

inline Position KeyOf(const Level& level, const GameState& s) {
  Position p{};
  p.b[0] = std::uint8_t(CellOf(s.playerX) * BoardCells + CellOf(s.playerY));
  p.b[1] = s.ballsLying;
  for (int n = 0; n < level.platformCount; ++n) {
    p.b[2 + n] = std::uint8_t((CellOf(s.platformX[n]) + 2) * 16 + CellOf(s.platformY[n]) + 2);
  }
  return p;
}

inline GameState StateOf(const Level& level, const Position& p) {
  GameState s = StartState(level);
  s.playerX = p.b[0] / BoardCells * CellPixels;
  s.playerY = p.b[0] % BoardCells * CellPixels;
  s.ballsLying = p.b[1];
  for (int n = 0; n < level.platformCount; ++n) {
    s.platformX[n] = (p.b[2 + n] / 16 - 2) * CellPixels;
    s.platformY[n] = (p.b[2 + n] % 16 - 2) * CellPixels;
  }
  return s;
}

inline std::uint64_t HashOf(const Position& p) {
  std::uint64_t a, b;
  std::memcpy(&a, p.b, 8);
  std::memcpy(&b, p.b + 8, 8);
  std::uint64_t h = a * 0x9E3779B97F4A7C15ull ^ (b + 0x632BE59BD9B4E019ull) * 0xC2B2AE3D27D4EB4Full;
  return h ^ (h >> 29);
}

// Every position the level can reach from its start, one move at a time (not going on from a
// solved one), and `count` of them drawn uniformly (unsolved ones only, dead ends included).
inline std::vector<GameState> SamplePositions(const Level& level, int count,
                                              std::uint64_t* reachable) {
  std::vector<Position> all{KeyOf(level, StartState(level))};
  std::vector<std::uint32_t> table(std::size_t(1) << 26, 0);  // index + 1, 0 empty
  const std::uint64_t mask = table.size() - 1;
  auto insert = [&](const Position& p) {
    for (std::uint64_t i = HashOf(p) & mask;; i = (i + 1) & mask) {
      if (table[i] == 0) {
        all.push_back(p);
        table[i] = std::uint32_t(all.size());
        return;
      }
      if (std::memcmp(all[table[i] - 1].b, p.b, 16) == 0) return;
    }
  };
  table[HashOf(all[0]) & mask] = 1;
  std::vector<GameState> samples;
  std::uint64_t seed = 12345, unsolved = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const GameState s = StateOf(level, all[i]);
    if (s.solved) continue;
    // Reservoir sampling: each unsolved position is kept with the same chance.
    ++unsolved;
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    if (samples.size() < std::size_t(count)) {
      samples.push_back(s);
    } else if ((seed >> 11) % unsolved < std::uint64_t(count)) {
      samples[(seed >> 11) % std::uint64_t(count)] = s;
    }
    for (std::int32_t d = DirLeft; d <= DirDown; ++d) {
      GameState next = s;
      if (MakeMove(level, &next, d).stepStarted && all.size() < table.size() / 2) {
        insert(KeyOf(level, next));
      }
    }
  }
  *reachable = all.size();
  return samples;
}

struct Survey {
  std::uint64_t reachable = 0;  // positions the level can reach from its start
  std::size_t sampled = 0;
  double medianMs = 0;         // of the samples
  double over10 = 0;           // share of the samples over 10 ms
  double slowestMs = 0;        // the slowest position's median of several timings
  double slowestSingleMs = 0;  // the slowest single timing of any position
  GameState slowest;
  std::uint64_t slowestWork = 0;  // its search's
};

// A hint timed: processor milliseconds, and the work its search did (states), which does not
// depend on what else the machine is doing as the time does.
struct Timed {
  double ms = 0;
  std::uint64_t work = 0;
};

// Times a hint from each sample with `hint(level, state)`, then climbs from the ten of most work,
// a move at a time (up to 20), to whichever neighbour takes more work still. A single timing on
// this machine can be half as long again as another of the same search (its two cores are not
// alike, and its neighbours vary), so the slowest is the median of five timings, taken over the
// ten samples of most time, the ten of most work and the climbs' ends.
template <typename Hint>
Survey SurveyHints(const Level& level, const std::vector<GameState>& samples,
                   std::uint64_t reachable, Hint hint) {
  Survey out;
  out.reachable = reachable;
  out.sampled = samples.size();
  if (samples.empty()) return out;
  std::vector<std::pair<Timed, GameState>> timed;
  for (const GameState& p : samples) timed.emplace_back(hint(level, p), p);
  std::vector<double> ms;
  for (const auto& t : timed) ms.push_back(t.first.ms);
  std::sort(ms.begin(), ms.end());
  out.medianMs = ms[ms.size() / 2];
  out.over10 = double(std::count_if(ms.begin(), ms.end(), [](double t) { return t > 10; })) /
               double(ms.size());
  out.slowestSingleMs = ms.back();
  const auto byMost = [&](auto key) {
    std::sort(timed.begin(), timed.end(),
              [&](const auto& a, const auto& b) { return key(a.first) > key(b.first); });
    return std::vector(timed.begin(), timed.begin() + std::min<std::ptrdiff_t>(10, ms.size()));
  };
  std::vector<GameState> candidates;
  for (const auto& t : byMost([](const Timed& t) { return t.ms; })) candidates.push_back(t.second);
  for (const auto& [fromTimed, from] : byMost([](const Timed& t) { return double(t.work); })) {
    GameState here = from;
    std::uint64_t hereWork = fromTimed.work;
    for (int step = 0; step < 20; ++step) {
      std::uint64_t most = hereWork;
      GameState next = here;
      for (std::int32_t d = DirLeft; d <= DirDown; ++d) {
        GameState n = here;
        if (!MakeMove(level, &n, d).stepStarted || n.solved) continue;
        n = StateOf(level, KeyOf(level, n));  // at rest on its cell, as the samples are
        const Timed t = hint(level, n);
        out.slowestSingleMs = std::max(out.slowestSingleMs, t.ms);
        if (t.work > most) most = t.work, next = n;
      }
      if (most <= hereWork) break;
      here = next;
      hereWork = most;
    }
    candidates.push_back(from);
    candidates.push_back(here);
  }
  for (const GameState& c : candidates) {
    double times[5];
    std::uint64_t work = 0;
    for (double& t : times) {
      const Timed once = hint(level, c);
      t = once.ms;
      work = once.work;
    }
    std::sort(std::begin(times), std::end(times));
    out.slowestSingleMs = std::max(out.slowestSingleMs, times[4]);
    if (times[2] > out.slowestMs) out.slowestMs = times[2], out.slowest = c, out.slowestWork = work;
  }
  return out;
}

}  // namespace hint_sampling
