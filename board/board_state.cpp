#include "board/board_state.h"

#include <cstring>

std::int32_t BoardGrid[BoardCells][BoardCells];
PlatformTableRecord PlatformTable;
std::int32_t PlatformCount;
std::uint8_t BallAlive[10];
std::int32_t BallTotal;
std::int32_t BallsLeft;
std::uint8_t LevelSolved;

void ResetBoardState() {
  std::memset(BoardGrid, 0, sizeof BoardGrid);
  PlatformTable = {};
  PlatformCount = 0;
  std::memset(BallAlive, 0, sizeof BallAlive);
  BallTotal = 0;
  BallsLeft = 0;
  LevelSolved = 0;
}
