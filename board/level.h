// A level and a position in it, as plain values: the Level is set up once from the 300-byte
// record and never changes while it is played; the GameState is everything the rules carry from
// one frame to the next. The rules (play/) are free functions over the two.
#pragma once

#include <cstdint>

#include "board/level_file.h"
#include "board/platform_shapes.h"

inline constexpr std::int32_t CellLand = 1;
inline constexpr std::int32_t CellWater = 2;
inline constexpr std::int32_t CellPlatform = 3;

// What a level's set-up reads of its record.
struct Level {
  // [column][row]: CellLand where the record's byte is 1, CellWater elsewhere.
  std::int32_t terrain[BoardCells][BoardCells] = {};
  std::int32_t platformCount = 0;                          // 0..9
  std::int32_t platformType[MaxPlatformsInRecord] = {};    // as the record says, known or not
  PlatformRecord platform[MaxPlatformsInRecord] = {};      // shape and edges (empty when unknown)
  std::int32_t platformStartX[MaxPlatformsInRecord] = {};  // pixels: the box's top-left cell
  std::int32_t platformStartY[MaxPlatformsInRecord] = {};
  std::int32_t ballCount = 0;                                               // 0..5
  std::int32_t ballX[MaxBallsInRecord] = {}, ballY[MaxBallsInRecord] = {};  // pixels
  std::int32_t startX = 0, startY = 0;                                      // pixels
  bool operator==(const Level&) const = default;
};

// The Player's move in progress, as decided on a cell boundary.
struct Movement {
  std::int32_t direction = 0;         // as last decided: 0 none, else DirLeft..DirDown
  std::int32_t stepX = 0, stepY = 0;  // pixels a frame: -4, 0 or 4
  std::uint8_t moving = 0;            // the Player moves by the step in each frame
  std::uint8_t carrying = 0;          // the platform under him moves with him
  bool operator==(const Movement&) const = default;
};

// Where everything stands between two frames.
struct GameState {
  std::int32_t playerX = 0, playerY = 0;  // pixels
  std::int32_t platformX[MaxPlatformsInRecord] = {}, platformY[MaxPlatformsInRecord] = {};
  std::uint8_t ballsLying = 0;  // bit n: ball n still lies on the board
  std::uint8_t solved = 0;      // the last ball was taken
  Movement movement;
  bool operator==(const GameState&) const = default;
};

// The board as the rules see it: the terrain with CellPlatform over every cell a platform
// covers, [column][row]; and for each covered cell the highest slot covering it.
struct Board {
  std::int32_t cell[BoardCells][BoardCells];
  std::int8_t owner[BoardCells][BoardCells];  // -1 where no platform is
};

// Sets a level up from its record. Returns how many platforms have a type outside 0..8: such a
// platform keeps its place in the list but has no shape, so it is never marked, found under the
// Player, moved or drawn.
int SetUpLevel(const std::uint8_t record[LevelRecordSize], Level* level);
// The level's start: the Player on his start cell, every platform on its own, every ball lying.
// The movement is the one given (a restart does not touch it).
GameState StartState(const Level& level, const Movement& movement = {});
// The terrain of the record (land where a byte is 1), over the level's.
void SetTerrain(const std::uint8_t record[LevelRecordSize], Level* level);

void BuildBoard(const Level& level, const GameState& state, Board* board);

std::int32_t BallsLeft(const GameState& state);

// The column (or row) of the cell that holds a pixel coordinate. Rounds toward minus infinity,
// so a pixel left of or above the board is never taken for column or row 0.
inline constexpr std::int64_t CellOf(std::int64_t pixel) {
  return pixel >= 0 ? pixel / CellPixels : (pixel - (CellPixels - 1)) / CellPixels;
}

// True when (column, row) is a cell of the board.
inline constexpr bool OnBoard(std::int64_t column, std::int64_t row) {
  return column >= 0 && column < BoardCells && row >= 0 && row < BoardCells;
}

// Calls visit(column, row) for each cell of the board a platform covers with its box's corner on
// (column, row); the cells of its shape off the board are passed over.
template <typename Visit>
void EachCoveredCell(const PlatformRecord& platform, std::int64_t column, std::int64_t row,
                     Visit visit) {
  for (int dx = 0; dx < 3; ++dx) {
    for (int dy = 0; dy < 3; ++dy) {
      if (platform.shape[dx][dy] == 1 && OnBoard(column + dx, row + dy))
        visit(int(column + dx), int(row + dy));
    }
  }
}

// True when no cell of the board is covered by two platforms (the search may then treat
// platforms of one type as interchangeable).
bool PlatformsApart(const Level& level, const GameState& state);
