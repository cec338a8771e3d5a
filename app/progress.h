// The level to resume between runs, and the level menu with its solved marks.
//
// The saved progress is one byte in the file "Level" of the player's data directory
// ($XDG_DATA_HOME/yelko/Level, by default ~/.local/share/yelko/Level).
#pragma once

#include <cstdint>
#include <string>

#include "board/level_file.h"

extern std::uint8_t CurrentLevel;

// The LevelKey of level n's file (1..LevelCount), read once a run; 0 when it cannot be read.
std::uint64_t LevelFileKey(std::int32_t level);
// Level n (1..LevelCount) is solved: the player has a best for the content of its file.
bool LevelSolved(std::int32_t level);
// The Levels menu's check marks: beside each level solved.
void MarkSolvedLevels();
// The stored level, or 1 when there is none, it cannot be read or it is not one of the levels
// 1..LevelCount.
std::uint8_t LoadProgress();
// Enables the "Levels" items 1..level (for a level of 1 to LevelCount; otherwise none).
void EnableLevelMenu(std::int32_t level);
// Stores the level to resume, and raises the highest level reached (merged with what another
// copy of the game stored); each value is written only when it changes. A failure is said once
// on the status line (app/notices.h) and tried again only for a new value.
void SaveProgress(std::uint8_t level);
// The highest level reached in any run (0 when none is stored, or while the progress is left
// alone): the level menu is enabled up to it as well as up to the level to resume.
std::uint8_t LoadReachedLevel();

// Where the progress lives ("" when there is no data directory).
std::string ProgressFilePath();
// Off for runs that try a level (--start-level): progress is then neither read nor written,
// and LoadProgress answers the level given.
void SetProgressOverride(bool active, std::uint8_t level);
bool ProgressOverridden();

void ResetProgressState();
