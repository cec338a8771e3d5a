// Par and best: the fewest moves a level can be solved in, and the fewest this player has
// solved it in. Both belong to a level's bytes (its LevelKey), not its number, so a changed
// level file never shows a stale record.
//
// Par of the shipped levels is worked out by the solver when the game is built and shipped
// beside them in "par.txt" (lines "KEY MOVES", the key in 16 hex digits); any other level's par
// is searched for when it is first asked, and stays unknown when it cannot be had quickly.
// Best records are the player's saved value "Best" (lines "KEY MOVES", the most recently solved
// last), kept beside the saved progress; each new best is merged into what is stored then, so
// that two copies of the game never lose each other's records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

inline constexpr const char* ParFileName = "par.txt";
// The most records "Best" keeps (the least recently solved go first), and the most bytes a
// records file may have to be read.
inline constexpr std::size_t MaxBestRecords = 20'000;
inline constexpr std::size_t MaxRecordsFile = std::size_t(1) << 20;

// The par of the level in play (the LevelRecord as StartLevel set it up, named by
// LevelInPlayKey): from par.txt, or searched for beside the game (ParSearching meanwhile), or
// ParUnknown when the search gave up.
inline constexpr std::int32_t ParUnknown = -1;
inline constexpr std::int32_t ParSearching = -2;
std::int32_t ParOfLevelInPlay();
// The player's best for a level, or -1 when he has not solved it.
std::int32_t BestOf(std::uint64_t key);
// The par par.txt gives the level or a search of this run found, without asking; else -1.
std::int32_t KnownPar(std::uint64_t key);

// What the last solve was worth.
struct SolveNote {
  std::uint64_t key = 0;
  std::int32_t moves = 0;
  std::int32_t best = -1;  // the best before this solve
  bool newBest = false;
  bool counted = false;  // the attempt began at the level's start (not from an edited board)
                         // and no move of it was played by Show solution
  bool helped = false;   // Show solution played moves of it
};
extern SolveNote LastSolve;

// The level in play was solved in `moves`. Counted only for an attempt that began at the level's
// own start (SolveEarned) and was not helped (AttemptHelped); a new best is saved unless
// RecordsSaved is off, merged with what another copy of the game saved. A failed save, or a records
// file that cannot be read, leaves RecordsProblem saying so; a save that works clears it.
void RecordSolve(std::int32_t moves);
extern std::string RecordsProblem;
// Off for runs that leave the player's saved values alone (--start-level).
extern bool RecordsSaved;

// "KEY MOVES" lines, as par.txt and the best records hold them, in the file's order (a key met
// twice keeps its last line, in that place). Lines that are not records are counted in
// *damaged and skipped; comments after '#' and blank lines are fine.
using MoveRecordList = std::vector<std::pair<std::uint64_t, std::int32_t>>;
MoveRecordList ReadMoveRecords(const std::string& text, int* damaged = nullptr);
std::string MoveRecordLine(std::uint64_t key, std::int32_t moves);
// Merges a solve into the text of a records file: false when the file already holds as good a
// record; else the text is rewritten with it last, keeping at most MaxBestRecords.
bool MergeBest(std::string* text, std::uint64_t key, std::int32_t moves);

void ResetRecordsState();
