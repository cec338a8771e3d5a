// The level solver: a breadth-first search over the positions a level can reach, moved by the
// game's own movement decision, so that what it finds is what the game lets a player do.
//
// One move is one cell stepped by the Player, walking or carrying a platform. A state is the
// Player's cell, every platform's position and the balls still lying; the level is solved by the
// move that collects its last ball. A level without balls is never solved, as in play.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SolveOptions {
  // The search gives up (SolveOutcome::GaveUp) once it holds this many states. Every state
  // costs about 50 bytes.
  std::uint64_t maxStates = 16'000'000;
  // False: the Player may only walk. A level that is solvable only with carrying allowed needs
  // a carry in every solution.
  bool allowCarry = true;
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
  // Distinct states reached, the start included.
  std::uint64_t states = 0;
  // Time the search took on the clock, and on the processor (the search runs in one thread,
  // and on a shared machine the processor time is the fairer measure of its speed).
  double seconds = 0;
  double cpuSeconds = 0;
};

// Reads a level file and solves it. A level file is exactly 300 bytes (the record) that the
// game sets up without complaint; a shorter or longer file, one that cannot be read, and one
// whose set-up shows a message ("Hov!" for an unknown platform type) give SolveOutcome::Error.
// The level is set up by StartLevel from a copy of the file in a scratch directory, so the
// current directory and any level.dat in it are left alone. Needs the headless backend
// installed (ResetProgramState) and replaces the game's board state.
SolveResult SolveLevelFile(const std::string& path, const SolveOptions& options = {});

// Solves the level as StartLevel has just set it up (the Player at his start, every ball lying).
// Moves the Player and the platforms while it searches and leaves them, the BoardGrid and the
// movement state as they were.
SolveResult SolveStartedLevel(const SolveOptions& options = {});

// A replay script for `yelko --replay` that plays the moves from the frame the level starts:
// one idle frame first (so that a ball on the start cell is collected before the Player
// leaves it), then ten frames per move with its arrow held, repeats merged into one line.
// `title` becomes the first comment line when not empty.
std::string SolutionScript(const std::string& moves, const std::string& title = "");
