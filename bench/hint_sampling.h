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
  double medianMs = 0;   // of the samples
  double slowestMs = 0;  // of the samples and the climbs
  double over10 = 0;     // share of the samples over 10 ms
  GameState slowest;
};

// Times a hint from each sample with `ms(level, state)`, then climbs from the slowest ten, a
// move at a time (up to 20), to whichever neighbour is slower still.
template <typename HintMs>
Survey SurveyHints(const Level& level, const std::vector<GameState>& samples,
                   std::uint64_t reachable, HintMs ms) {
  Survey out;
  out.reachable = reachable;
  out.sampled = samples.size();
  std::vector<std::pair<double, GameState>> timed;
  for (const GameState& p : samples) timed.emplace_back(ms(level, p), p);
  if (timed.empty()) return out;
  std::sort(timed.begin(), timed.end(),
            [](const auto& a, const auto& b) { return a.first > b.first; });
  out.medianMs = timed[timed.size() / 2].first;
  out.over10 = double(std::count_if(timed.begin(), timed.end(),
                                    [](const auto& t) { return t.first > 10; })) /
               double(timed.size());
  out.slowestMs = timed.front().first;
  out.slowest = timed.front().second;
  for (std::size_t k = 0; k < std::min<std::size_t>(10, timed.size()); ++k) {
    GameState here = timed[k].second;
    double hereMs = timed[k].first;
    for (int step = 0; step < 20; ++step) {
      double best = hereMs;
      GameState next = here;
      for (std::int32_t d = DirLeft; d <= DirDown; ++d) {
        GameState n = here;
        if (!MakeMove(level, &n, d).stepStarted || n.solved) continue;
        n = StateOf(level, KeyOf(level, n));  // at rest on its cell, as the samples are
        const double t = ms(level, n);
        if (t > best) best = t, next = n;
      }
      if (best <= hereMs) break;
      here = next;
      hereMs = best;
      if (hereMs > out.slowestMs) out.slowestMs = hereMs, out.slowest = here;
    }
  }
  return out;
}

}  // namespace hint_sampling
