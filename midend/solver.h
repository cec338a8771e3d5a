// The level solver: shortest solutions in moves, found by the search of midend/search.h (or, as
// a reference, by a plain breadth-first search over single moves), both moving the Player by
// the game's own rules, so that what they find is what the game lets a player do. They work on
// copies of a level and a state: the game in play is never touched.
//
// One move is one cell stepped by the Player, walking or carrying a platform. A state is the
// Player's cell, every platform's position and the balls still lying; the level is solved by the
// move that collects its last ball. A level without balls is never solved, as in play.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/level.h"
#include "board/level_file.h"

struct SolveOptions {
  // The search gives up (SolveOutcome::GaveUp) once it holds this many states.
  std::uint64_t maxStates = 16'000'000;
  // False: the Player may only walk. A level that is solvable only with carrying allowed needs
  // a carry in every solution.
  bool allowCarry = true;
  // True: the plain breadth-first search over single moves (yelko-solve --bfs), which looks at
  // every position the level can reach; kept as the reference the tests hold the search to.
  bool breadthFirst = false;
  // The search's prunings, each of which can be turned off (midend/search.h).
  bool samePlatformsAlike = true;
  bool unreachableBalls = true;
  bool platformBounds = true;
  bool platformPairs = false;
};

enum class SolveOutcome { Solved, Unsolvable, Error, GaveUp };

struct SolveResult {
  SolveOutcome outcome = SolveOutcome::Error;
  // Solved: a shortest solution, one letter per move: L, U, R, D.
  std::string moves;
  // Solved: per move, 1 where its decision carried a platform.
  std::vector<std::uint8_t> carried;
  // Error: what is wrong, in a few words.
  std::string error;
  // Distinct states stored, the start included.
  std::uint64_t states = 0;
  // The single positions the states the search expanded stand for (each state is a Player's
  // whole walking region), and the most memory it held.
  std::uint64_t positions = 0;
  std::uint64_t peakBytes = 0;
  // Time the search took on the clock, and on the processor (the search runs in one thread,
  // and on a shared machine the processor time is the fairer measure of its speed).
  double seconds = 0;
  double cpuSeconds = 0;
};

// Solves the level of a 300-byte record, set up as the game sets it up. A record the game
// cannot set up ("Hov!" for an unknown platform type) gives SolveOutcome::Error, and shows
// nothing.
SolveResult SolveLevelRecord(const std::uint8_t record[LevelRecordSize],
                             const SolveOptions& options = {});

// Reads a level file and solves it. A level file is exactly 300 bytes; a shorter or longer file
// and one that cannot be read give SolveOutcome::Error.
SolveResult SolveLevelFile(const std::string& path, const SolveOptions& options = {});

// A shortest solution from a state on a cell boundary (a ball under the Player counts as taken,
// as the next frame takes it). A solved state is solved in no moves.
SolveResult SolveFromState(const Level& level, const GameState& from,
                           const SolveOptions& options = {});
