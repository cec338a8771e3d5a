// How hard a level is, in numbers a player feels: how long it is, how much carrying it takes,
// how easy it is to get stuck, how much thinking a shortest solution takes. The generator
// grades its puzzles by them; `yelko-solve --stats` shows them for any level.
#pragma once

#include <cstdint>

#include "board/level.h"
#include "midend/search.h"

struct LevelMeasures {
  SearchOutcome outcome = SearchOutcome::Running;  // Solved, Unsolvable or GaveUp
  int par = 0;                                     // moves of a shortest solution
  int carries = 0;                                 // moves of it that carry a platform
  int platformsMoved = 0;                          // platforms it moves
  std::uint64_t effort = 0;                        // states the search stored to find it
  // Of the positions reachable from the start, per thousand, those from which the level can no
  // longer be solved; -1 when not measured. Counted over every reachable position where there
  // are few enough (positions then says how many), else estimated from positions sampled at the
  // ends of random walks (positions 0).
  int stuckPerMille = -1;
  std::uint64_t positions = 0;
};

// Measures the level from its start; the stuck share only when asked (it costs far more).
LevelMeasures MeasureLevel(const Level& level, bool stuck = false,
                           std::uint64_t maxStates = 16'000'000);
// The stuck share alone (into *measures): counted with up to `budget` states, else sampled.
void MeasureStuck(const Level& level, std::uint64_t budget, LevelMeasures* measures);

// What a shortest solution does: its carries and the platforms it moves, replayed by the rules.
void MeasureSolution(const Level& level, const GameState& from, const std::string& moves,
                     LevelMeasures* measures);
