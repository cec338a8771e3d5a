// Par and best: the fewest moves a level can be solved in, and the fewest this player has
// solved it in. Both belong to a level's bytes (its LevelKey), not its number, so a changed
// level file never shows a stale record.
//
// Par of the shipped levels is worked out by the solver when the game is built and shipped
// beside them in "par.txt" (lines "KEY MOVES", the key in 16 hex digits); any other level's par
// is searched for when it is first asked, and stays unknown when it cannot be had quickly.
// Best records are the player's saved value "Best" (lines "KEY MOVES"), kept beside the saved
// progress and replaced whole at each new best.
#pragma once

#include <cstdint>
#include <map>
#include <string>

inline constexpr const char* ParFileName = "par.txt";

// The par of the level in play (the LevelRecord as StartLevel set it up, named by
// LevelInPlayKey), or -1 when it is unknown.
std::int32_t ParOfLevelInPlay();
// The player's best for a level, or -1 when he has not solved it.
std::int32_t BestOf(std::uint64_t key);

// What the last solve was worth.
struct SolveNote {
  std::uint64_t key = 0;
  std::int32_t moves = 0;
  std::int32_t best = -1;  // the best before this solve
  bool newBest = false;
};
extern SolveNote LastSolve;

// The level in play was solved in `moves`; a new best is saved (not while the saved progress
// is left alone, as for --start-level).
void RecordSolve(std::int32_t moves);

// "KEY MOVES" lines, as par.txt and the best records hold them. False on any line that is not
// one (comments after '#' and blank lines are fine).
bool ParseMoveRecords(const std::string& text, std::map<std::uint64_t, std::int32_t>* records);
std::string MoveRecordLine(std::uint64_t key, std::int32_t moves);

void ResetRecordsState();
