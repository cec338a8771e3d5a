// Setting a level up from its record, its start, and the board the rules see.
#include "board/level.h"

#include <bit>
#include <cstring>

#include "board/level_record.h"

int SetUpLevel(const std::uint8_t record[LevelRecordSize], Level* level) {
  LevelLayout layout;
  DecodeLevelRecord(record, &layout);
  Level& l = *level;
  l = Level{};
  SetTerrain(record, level);
  int unknown = 0;
  l.platformCount = layout.platformCount;
  for (int n = 0; n < layout.platformCount; ++n) {
    l.platformType[n] = layout.platforms[n].type;
    l.platformStartX[n] = layout.platforms[n].column * CellPixels;
    l.platformStartY[n] = layout.platforms[n].row * CellPixels;
    if (!BuildPlatformShape(&l.platform[n], l.platformType[n])) ++unknown;
  }
  l.ballCount = layout.ballCount;
  for (int n = 0; n < layout.ballCount; ++n) {
    l.ballX[n] = layout.balls[n].column * CellPixels;
    l.ballY[n] = layout.balls[n].row * CellPixels;
  }
  l.startX = layout.startColumn * CellPixels;
  l.startY = layout.startRow * CellPixels;
  return unknown;
}

void SetTerrain(const std::uint8_t record[LevelRecordSize], Level* level) {
  for (int c = 0; c < BoardCells; ++c) {
    const std::uint8_t* terrain = TerrainColumn(record, c);
    for (int r = 0; r < BoardCells; ++r)
      level->terrain[c][r] = terrain[r] == 1 ? CellLand : CellWater;
  }
}

GameState StartState(const Level& level, const Movement& movement) {
  GameState state;
  state.playerX = level.startX;
  state.playerY = level.startY;
  for (int n = 0; n < level.platformCount; ++n) {
    state.platformX[n] = level.platformStartX[n];
    state.platformY[n] = level.platformStartY[n];
  }
  state.ballsLying = std::uint8_t((1u << level.ballCount) - 1);
  state.movement = movement;
  return state;
}

void BuildBoard(const Level& level, const GameState& state, Board* board) {
  // A search builds a board for every state: the terrain is one copy.
  static_assert(sizeof board->cell == sizeof level.terrain);
  std::memcpy(board->cell, level.terrain, sizeof board->cell);
  std::memset(board->owner, -1, sizeof board->owner);
  for (std::int32_t n = 0; n < level.platformCount; ++n) {
    const std::int64_t column = CellOf(state.platformX[n]);
    const std::int64_t row = CellOf(state.platformY[n]);
    const PlatformRecord& platform = level.platform[n];
    if (OnBoard(column, row) && OnBoard(column + 2, row + 2)) {
      // The whole box is on the board (the usual case): no cell needs checking.
      for (int dx = 0; dx < 3; ++dx) {
        std::int32_t* cells = &board->cell[column + dx][row];
        std::int8_t* owners = &board->owner[column + dx][row];
        for (int dy = 0; dy < 3; ++dy) {
          if (platform.shape[dx][dy] != 1) continue;
          cells[dy] = CellPlatform;
          owners[dy] = std::int8_t(n);
        }
      }
      continue;
    }
    EachCoveredCell(platform, column, row, [&](int x, int y) {
      board->cell[x][y] = CellPlatform;
      board->owner[x][y] = std::int8_t(n);
    });
  }
}

bool PlatformsApart(const Level& level, const GameState& state) {
  std::uint8_t covered[BoardCells][BoardCells] = {};
  bool apart = true;
  for (std::int32_t n = 0; n < level.platformCount; ++n) {
    EachCoveredCell(level.platform[n], CellOf(state.platformX[n]), CellOf(state.platformY[n]),
                    [&](int x, int y) { apart = apart && covered[x][y]++ == 0; });
  }
  return apart;
}

std::int32_t BallsLeft(const GameState& state) {
  return std::popcount(unsigned(state.ballsLying));
}
