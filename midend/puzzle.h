// Puzzles beside the five levels: a generated one, the daily one, or any level from its code or
// its text; making one beside the frames; and the watch that tells a player he is stuck.
//
// A puzzle in play is a level like level.dat: its best is kept by its content, its par is
// searched for, undo and hints work; only the saved progress of the five levels never moves.
#pragma once

#include <cstdint>
#include <string>

#include "board/level.h"
#include "midend/generator.h"

// LevelInPlay while a puzzle is in play: neither one of the five levels nor level.dat.
inline constexpr std::int32_t PuzzleLevel = -1;

// What the status line calls the puzzle in play: "hard-7Q3K2", "Daily 2026-12-07", or the code
// of a level pasted or typed in. Kept after the puzzle is left, for the next one's restart.
extern std::string PuzzleTitle;
extern std::uint8_t PuzzleRecord[LevelRecordSize];

// Puts the puzzle at its start in play (and in the LevelRecord, as a level read from a file).
// Returns how many platforms have an unknown type.
int PlayPuzzle(const std::uint8_t record[LevelRecordSize], const std::string& title);
// Puts the puzzle in play at its start again (a restart).
int ReplayPuzzle();
bool PuzzleInPlay();

// "Daily 2026-12-07" and its seed: the day's Hard puzzle, the same for every player.
std::string DailyTitle(int year, int month, int day);

// What a player typed or pasted: a puzzle code, a puzzle's name ("hard-7Q3K2", made by the
// generator) or a level in its text form. Blanks around it do not matter.
struct PuzzleText {
  enum class Kind : std::uint8_t { Level, Name, Refused } kind = Kind::Refused;
  std::uint8_t record[LevelRecordSize] = {};  // Level
  Grade grade = Grade::Easy;                  // Name
  std::uint64_t seed = 0;                     // Name
  std::string title;                          // Level and Name: what the status line shows
  std::string why;                            // Refused: "Not a puzzle code: ..."
};
inline constexpr std::size_t MaxPuzzleTextBytes = 64 * 1024;
PuzzleText ReadPuzzleText(const std::string& text);

// Making a puzzle beside the frames: on a thread of its own where the platform allows, else in
// slices of each frame. Starting one drops one being made.
void StartMakingPuzzle(Grade grade, std::uint64_t seed, const std::string& title);
bool MakingPuzzle();
Grade MakingGrade();
// How far it has come, in thousandths (a guess).
int MakingProgress();
void CancelMakingPuzzle();
// Gives the making its share of this frame. True once the puzzle is made: it is then played.
bool KeepMakingPuzzle();

// Warn when stuck: at every cell boundary where the position changed, the search is asked
// (in slices of the frames) whether a solution is still left; none left is "stuck".
extern bool WarnWhenStuck;
// Looks at the position in play: a new one is asked about, the question worked on.
void WatchForStuck(const Level& level, const GameState& state);
// The position watched has no solution left.
bool Stuck();
// An answer is still being looked for, or the level's tables made: the game must not rest.
bool StuckQuestionOpen();
// The watch's whole answer for the position, once it has one (false otherwise): the search a
// hint would make, with the same budget.
bool WatchedAnswer(const Level& level, const GameState& state, SearchResult* answer);
// The watch is searching from the position (and has no answer yet).
bool WatchingPosition(const Level& level, const GameState& state);
void ForgetStuck();

void ResetPuzzleState();

// The states a frame gives the making where the clock stands still within a frame (the replay
// runner). Not program state: the replay fuzzer turns it down for its plays and back, so that a
// script that makes a puzzle costs a few states a frame, not a second of work a hundred frames.
inline constexpr std::uint64_t DefaultMakingSliceStates = 20000;
extern std::uint64_t MakingSliceStates;
