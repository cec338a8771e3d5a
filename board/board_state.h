// The game state of the level in play and its set-up from the level record.
#pragma once

#include <cstdint>
#include <string>

#include "board/level_file.h"
#include "board/platform_shapes.h"

inline constexpr std::int32_t CellLand = 1;
inline constexpr std::int32_t CellWater = 2;
inline constexpr std::int32_t CellPlatform = 3;

// [column][row]: the terrain with CellPlatform over every cell a platform covers.
extern std::int32_t BoardGrid[BoardCells][BoardCells];

inline constexpr int PlatformSlots = 10;

struct PlatformTableRecord {
  std::int32_t type[PlatformSlots];  // -1 in unused slots
  std::int32_t x[PlatformSlots];     // pixel position of the top-left cell of the 3 x 3 box
  std::int32_t y[PlatformSlots];
  PlatformRecord record[MaxPlatformsInRecord];
};
extern PlatformTableRecord PlatformTable;
extern std::int32_t PlatformCount;

// Ball n is drawn by BallBobs[n] (gfx/sprites.h), whose x and y are its position.
extern std::uint8_t BallAlive[10];
extern std::int32_t BallTotal;
extern std::int32_t BallsLeft;

extern std::uint8_t LevelSolved;
// Set with LevelSolved: the solve came from an attempt that began at the level's start, so it
// earns progress and records (AttemptFromStart at that moment).
extern std::uint8_t SolveEarned;

struct LevelLayout;

// False when the game cannot set the level up: a platform of a type outside 0..8.
bool CanSetUpLevel(const LevelLayout& layout);
// Sets a level up from a record in memory: copies it into the LevelRecord and builds all of the
// above from it, and the Player's position. A record the game cannot set up (CanSetUpLevel)
// shows "Hov!" for each unknown platform, which is never drawn, found or moved, and gives
// false; the rest is set up all the same.
bool SetUpLevel(const std::uint8_t record[LevelRecordSize]);
// Reads the file of CurrentLevel over the LevelRecord and sets the level up from it. A file that
// cannot be read whole sets up an empty board instead (all water, no Player, no balls: nothing
// to solve) and LevelProblem says why.
void StartLevel();
// The number and the LevelKey of the level the last StartLevel set up (CurrentLevel moves on
// at a solve, while the solved level stays in play until the next start).
extern std::int32_t LevelInPlay;
extern std::uint64_t LevelInPlayKey;
// Why the level in play could not be set up ("level2.dat is missing"), or "" when it was.
extern std::string LevelProblem;
// 1 while the attempt in play began at the level's own start (a level start or a restart); 0
// once the editor has changed the board. Only such an attempt earns a record or progress.
extern std::uint8_t AttemptFromStart;
// The board of a level that cannot be read: all water, no Player, no balls, nothing to solve.
void SetUpUnavailableLevel();
// BoardGrid from the terrain bytes alone.
void BuildTerrainGrid();
// CellPlatform over every board cell a platform covers; cells off the board are skipped.
void MarkPlatformCells();

// The column (or row) of the cell that holds a pixel coordinate. Rounds toward minus infinity,
// so a pixel left of or above the board is never taken for column or row 0.
inline constexpr std::int64_t CellOf(std::int64_t pixel) {
  return pixel >= 0 ? pixel / CellPixels : (pixel - (CellPixels - 1)) / CellPixels;
}

// True when (column, row) is a cell of the board.
inline constexpr bool OnBoard(std::int64_t column, std::int64_t row) {
  return column >= 0 && column < BoardCells && row >= 0 && row < BoardCells;
}

void ResetBoardState();
