// The level record: 300 bytes, the same on disk and in memory.
//
//   0..195    terrain, column by column (byte c * 14 + r); 1 is land, anything else water
//   196, 197  Player start column and row
//   198..207  ball list: (column, row) pairs, ended by a pair whose first byte is 255
//   208..299  platform list: (type, column, row) triples, ended by a type byte of 255
//
// Coordinates and types are read as signed bytes.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int BoardCells = 14;
inline constexpr int CellPixels = 40;
inline constexpr int LevelRecordSize = 300;
inline constexpr int PlayerStartByte = 196;
inline constexpr int BallListByte = 198;
inline constexpr int PlatformListByte = 208;
inline constexpr std::uint8_t ListEnd = 255;
// What the lists can hold: five pairs fill the ball area (the fifth ended by byte 208), and the
// platform table has room for nine.
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

// The terrain byte of a cell.
inline std::uint8_t& TerrainByte(int column, int row) {
  return LevelRecord[column * BoardCells + row];
}

void ResetLevelFileState();
