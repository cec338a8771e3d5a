// Starting a level, and restarting it.
#pragma once

#include <cstdint>

// The Levels menu's commands: LevelCommandBase + level, levels 1..LevelCount.
inline constexpr std::uint16_t LevelCommandBase = 20;

// Reads the file of CurrentLevel over the LevelRecord and puts its level in play at its start. A
// file that cannot be read whole says "INVALID_HANDLE_VALUE" and puts an empty board in play
// instead (LevelProblem says why); an unknown platform type says "Hov!".
void StartLevel();
// A restart: StartLevel, as a step that undo takes back.
void ResetLevel();
