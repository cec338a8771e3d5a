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

extern std::uint8_t LevelRecord[LevelRecordSize];

// "level<N>.dat" for N > 0, "level.dat" for 0 and below.
std::string LevelFileName(std::int32_t level);

// Reads up to 300 bytes of the level's file over the record (a short file replaces only its
// leading bytes). A file that cannot be opened shows "INVALID_HANDLE_VALUE" and leaves the
// record as it was.
void LoadLevelFile(std::int32_t level);
// Writes the record to "level.dat" atomically. A failure shows "INVALID_HANDLE_VALUE" and
// leaves the old file intact. Bytes of an existing file beyond the first 300 are kept.
void SaveLevelFile();

void ResetLevelFileState();
