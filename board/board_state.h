// The game state of the level in play and its set-up from the level record.
#pragma once

#include <cstdint>

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

// Loads the file of CurrentLevel and builds all of the above from it.
void StartLevel();
void BuildTerrainGrid();
void MarkPlatformCells();
void SetupBalls();
void PlacePlayer();

// True when (column, row) is a cell of the board.
inline bool OnBoard(std::int32_t column, std::int32_t row) {
  return column >= 0 && column < BoardCells && row >= 0 && row < BoardCells;
}

void ResetBoardState();
