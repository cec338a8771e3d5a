// The level record's layout, decoded and encoded in this one place. Everything else (the
// board's set-up, the editor's save and load, the level tools, the solver) works on the
// decoded LevelLayout, never on byte offsets.
//
// A record is read the way the game has always read it: coordinates and types are signed
// bytes; the ball list is pairs ended by a first byte of 255, at most five (a fifth pair is
// ended by the platform area itself); the platform list is triples ended by a type of 255, at
// most nine, whatever terminators the record lacks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/level_file.h"

struct LevelBall {
  std::int8_t column = 0, row = 0;
  bool operator==(const LevelBall&) const = default;
};

struct LevelPlatform {
  std::int8_t type = 0, column = 0, row = 0;
  bool operator==(const LevelPlatform&) const = default;
};

// How a list ended in the bytes decoded.
enum class ListEnding : std::uint8_t {
  Terminator,  // at its 255
  Full,        // the area or the table is full; a 255 may or may not follow
  CutShort,    // the bytes (a short file) ran out inside the list
};

struct LevelLayout {
  std::uint8_t terrain[BoardCells][BoardCells] = {};  // raw bytes, [column][row]; 1 is land
  std::int8_t startColumn = 0, startRow = 0;
  int ballCount = 0;
  LevelBall balls[MaxBallsInRecord];
  int platformCount = 0;
  LevelPlatform platforms[MaxPlatformsInRecord];

  // What the decoder saw besides the level itself (only the level tools look at these).
  std::size_t size = LevelRecordSize;  // bytes decoded; a short file has fewer
  bool hasStart = true;                // false when the bytes end before the start
  ListEnding ballsEnd = ListEnding::Terminator, platformsEnd = ListEnding::Terminator;
  // After a full list: the byte where its 255 would stand, or -1 when it is 255 or missing.
  int ballsUnendedBy = -1, platformsUnendedBy = -1;
  bool leftovers = false;  // bytes after the lists' ends other than 255, which nothing reads
};

// Decodes the first min(size, 300) bytes. Terrain cells beyond a short record read 0.
void DecodeLevelRecord(const std::uint8_t* bytes, std::size_t size, LevelLayout* out);
inline void DecodeLevelRecord(const std::uint8_t record[LevelRecordSize], LevelLayout* out) {
  DecodeLevelRecord(record, LevelRecordSize, out);
}

// The terrain bytes of one column of the record, rows 0..13 in order.
std::uint8_t* TerrainColumn(std::uint8_t record[LevelRecordSize], int column);
const std::uint8_t* TerrainColumn(const std::uint8_t record[LevelRecordSize], int column);

// True when the terrain byte of the cell lies within the bytes decoded.
bool HasTerrainByte(const LevelLayout& layout, int column, int row);

// Writes the layout's terrain, start and lists, each list ended by 255 where there is room;
// other bytes are left as they were. Five balls have no 255 of their own: the platform list's
// first byte ends them, as the game reads them. False (with nothing written) for more than
// five balls or nine platforms.
bool EncodeLevelRecord(const LevelLayout& layout, std::uint8_t record[LevelRecordSize]);

// What the editor's clear does to the record: the Player start, the whole ball list area and
// the first sixteen bytes of the platform list area become 255 (no start, no balls, no
// platforms); terrain and the rest of the platform area are left as they were.
void ClearLevelObjects(std::uint8_t record[LevelRecordSize]);

// Leaves out one of the layout's objects, counted balls first, then platforms (0 .. ballCount +
// platformCount - 1); the others keep their order.
void LeaveOutObject(LevelLayout* layout, int n);

// A name for a level's content: a 64-bit FNV-1a hash of its 300 bytes. Par and best records
// belong to a level's bytes, so that a changed level file never shows a stale record.
std::uint64_t LevelKey(const std::uint8_t record[LevelRecordSize]);

// The bytes the game reads of a record: equal exactly when the decoded levels are.
bool SameLevel(const LevelLayout& a, const LevelLayout& b);
