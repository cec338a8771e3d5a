// The level record: 300 bytes, the same on disk and in memory, and its files. The record's
// layout is decoded and encoded in board/level_record.h only.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int BoardCells = 14;
inline constexpr int CellPixels = 40;
inline constexpr int LevelRecordSize = 300;
inline constexpr std::uint8_t ListEnd = 255;
// What the lists can hold: five pairs fill the ball area (the fifth ended by the platform list),
// and the platform table has room for nine.
inline constexpr int MaxBallsInRecord = 5;
inline constexpr int MaxPlatformsInRecord = 9;

// The levels that ship with the game: level1.dat .. level5.dat, the items of the Levels menu.
inline constexpr int LevelCount = 5;

extern std::uint8_t LevelRecord[LevelRecordSize];

// "level<N>.dat" for N > 0, "level.dat" for 0 and below.
std::string LevelFileName(std::int32_t level);
// Where the level's file is read from: the shipped levels in the game's data folder; level.dat
// beside them, or in the player's data folder once it had to be saved there.
std::string LevelFilePath(std::int32_t level);

// Reads the first 300 bytes of the level's file over the record. A file that cannot be read
// whole (missing, shorter than a level, not a file, unreadable) leaves the record as it was and
// gives false (the game then says "INVALID_HANDLE_VALUE"), with *problem (when given) naming
// the file and what is wrong ("level2.dat is missing").
bool LoadLevelFile(std::int32_t level, std::string* problem = nullptr);
// Writes the record to level.dat atomically: beside the game's files, or in the player's data
// folder when the game's folder cannot be written. A failure leaves the old file intact and
// gives false (the game then says "INVALID_HANDLE_VALUE") with *problem saying why. Bytes of an
// existing regular file beyond the first 300 are kept; a link is replaced, never followed.
bool SaveLevelFile(std::string* problem = nullptr);

void ResetLevelFileState();
