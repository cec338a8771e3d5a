// The search behind par, hints and the editor's check: A* over what matters.
//
// A state is where the platforms are, which balls still lie and where the Player stands just
// after the last thing that changed them (a carry, or a ball taken). Between two such changes he
// only walks, over land and platforms, and walking changes nothing but where he is: so one edge
// of the search is a walk inside the region he can reach (its length in moves, found by a walk
// search on that state's board) followed by the one step that carries a platform or takes a
// ball. The search takes states in order of moves made plus an estimate that never overstates
// the moves left, so the first solved state it takes is reached by a shortest solution in moves;
// the solution is unrolled into single moves, each of them the rules' own.
//
// It runs in slices (Run with a budget of states to expand), so that a question can be answered
// between frames or on a thread of its own, and can be cancelled. A Search keeps its memory
// between searches.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "board/level.h"
#include "board/platform_shapes.h"

struct SearchOptions {
  // Gives up (SearchOutcome::GaveUp) once it holds this many states.
  std::uint64_t maxStates = 16'000'000;
  // Not 0: gives up (SearchOutcome::GaveUp) once every solution left is longer than this many
  // moves, for a caller that wants no longer one.
  std::uint32_t maxMoves = 0;
  // False: the Player may only walk.
  bool allowCarry = true;
  // The prunings, each on its own (the tests turn them off to show they cut no solution):
  // platforms of one type are one, whichever slot holds which position;
  bool samePlatformsAlike = true;
  // a ball on water that no platform can ever carry the Player to ends the search at once.
  bool unreachableBalls = true;
  // The estimate also takes the moves a platform that floats where no other can must make (and
  // a state from which even they cannot take every ball is lost); with platformPairs, made also
  // for it and a second platform that can stand in its way (several times the making, for the
  // stuck watch to make as a level starts; a search without it takes those made when it can).
  bool platformBounds = true;
  bool platformPairs = false;
  // Among states of one sum of moves and estimate, those nearest an end first (by the estimate,
  // in steps of four moves), which finds a solution among the many states of the last sum
  // soonest; false: the last queued first.
  bool nearestFirst = true;
};

// Every state a level can reach from a position, and how many of them are lost.
struct Exploration {
  bool complete = false;             // false: more states than the budget (the counts are then 0)
  std::uint64_t regions = 0;         // states: platforms, balls and a Player's walking region
  std::uint64_t positions = 0;       // single positions (the Player's cell in one), before a solve
  std::uint64_t stuckPositions = 0;  // of them, those from which no solution is left
};

enum class SearchOutcome : std::uint8_t { Running, Solved, Unsolvable, GaveUp, Cancelled };

struct SearchResult {
  SearchOutcome outcome = SearchOutcome::Running;
  std::string moves;                  // Solved: a shortest solution, one of L U R D a move
  std::vector<std::uint8_t> carried;  // Solved: per move, 1 where it carried a platform
  std::string why;                    // GaveUp: "gave up: more than 16 million states"
  std::uint64_t states = 0;           // states stored, the start included
  std::uint64_t expanded = 0;         // states taken from the queue and expanded
  std::uint64_t positions = 0;        // single positions the expanded states stand for
  std::uint64_t peakBytes = 0;        // the most memory the search held at once
};

// One search's memory, kept for the next search. Not copyable; each thread has its own.
class Search {
 public:
  Search();
  ~Search();
  Search(const Search&) = delete;
  Search& operator=(const Search&) = delete;

  // Begins a search from the state (on a cell boundary; a ball under the Player counts as
  // taken, as the next frame takes it). The level and state are copied.
  void Start(const Level& level, const GameState& from, const SearchOptions& options = {});
  // Expands up to `budget` more states; true once the search has ended (result() tells how).
  bool Run(std::uint64_t budget);
  // Looks at every state reachable from the state instead (not sliced; result() gives the
  // states stored and the memory held).
  Exploration Explore(const Level& level, const GameState& from, std::uint64_t maxStates);
  // Asks a search running on another thread to stop at its next state.
  void Cancel() { cancelled_.store(true); }
  const SearchResult& result() const { return result_; }

  struct Impl;

 private:
  Impl* impl_;
  SearchResult result_;
  std::atomic<bool> cancelled_{false};
};

// The direction of a move's letter (L, U, R or D).
inline std::int32_t MoveDirection(char move) {
  return move == 'L' ? DirLeft : move == 'U' ? DirUp : move == 'R' ? DirRight : DirDown;
}

// Starts and runs a search to its end.
SearchResult SearchToEnd(const Level& level, const GameState& from,
                         const SearchOptions& options = {});
