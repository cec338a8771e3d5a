// The level in play and where it stands: the one piece of program-wide game state. Everything
// else (undo, hints, records, the solver) works on copies of these values.
#pragma once

#include <cstdint>
#include <string>

#include "board/level.h"

extern Level PlayLevel;
extern GameState PlayState;
// The number of the level in play (0: level.dat) and its LevelKey (0 for a level that could not
// be read). CurrentLevel moves on at a solve, while the solved level stays in play until the
// next start.
extern std::int32_t LevelInPlay;
extern std::uint64_t LevelInPlayKey;
// Why the level in play could not be set up ("level2.dat is missing"), or "" when it was.
extern std::string LevelProblem;
// 1 while the attempt in play began at the level's own start (a level start or a restart); 0
// once the editor has changed the board. Only such an attempt earns a record or progress.
extern std::uint8_t AttemptFromStart;
// Set at the solve: the solve came from such an attempt.
extern std::uint8_t SolveEarned;
// 1 once Show solution has played a move of the attempt in play: it earns no best record.
extern std::uint8_t AttemptHelped;

// Puts the level of the record in play at its start, keeping the movement as it was (a restart
// does not touch it). Returns how many platforms have an unknown type.
int PlayRecord(const std::uint8_t record[LevelRecordSize], std::int32_t number);
// Puts the board of a level that cannot be read in play (and in the LevelRecord): all water, no
// Player, no balls, nothing to solve.
void PlayUnavailable(std::int32_t number, const std::string& problem);

void ResetGameState();
