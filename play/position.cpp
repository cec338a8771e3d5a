#include "play/position.h"

#include <cstring>

#include "app/progress.h"
#include "play/play_frame.h"
#include "play/scene.h"

Position CapturePosition() {
  Position p;
  std::memcpy(p.record, LevelRecord, sizeof p.record);
  std::memcpy(p.boardGrid, BoardGrid, sizeof p.boardGrid);
  p.platformTable = PlatformTable;
  p.platformCount = PlatformCount;
  for (int n = 0; n < BallSlots; ++n) {
    p.ballX[n] = BallBobs[n].x;
    p.ballY[n] = BallBobs[n].y;
    p.ballAlive[n] = BallAlive[n];
  }
  p.ballTotal = BallTotal;
  p.ballsLeft = BallsLeft;
  p.playerX = PlayerBob.x;
  p.playerY = PlayerBob.y;
  p.moveDirection = MoveDirection;
  p.stepX = StepX;
  p.stepY = StepY;
  p.playerMoving = PlayerMoving;
  p.carryingPlatform = CarryingPlatform;
  p.levelSolved = LevelSolved;
  p.solvedClock = SolvedClock;
  p.currentLevel = CurrentLevel;
  return p;
}

void RestorePosition(const Position& p) {
  std::memcpy(LevelRecord, p.record, sizeof p.record);
  std::memcpy(BoardGrid, p.boardGrid, sizeof p.boardGrid);
  PlatformTable = p.platformTable;
  PlatformCount = p.platformCount;
  for (int n = 0; n < BallSlots; ++n) {
    BallBobs[n].x = p.ballX[n];
    BallBobs[n].y = p.ballY[n];
    BallAlive[n] = p.ballAlive[n];
  }
  BallTotal = p.ballTotal;
  BallsLeft = p.ballsLeft;
  PlayerBob.x = p.playerX;
  PlayerBob.y = p.playerY;
  MoveDirection = p.moveDirection;
  StepX = p.stepX;
  StepY = p.stepY;
  PlayerMoving = p.playerMoving;
  CarryingPlatform = p.carryingPlatform;
  LevelSolved = p.levelSolved;
  SolvedClock = p.solvedClock;
  CurrentLevel = p.currentLevel;
}

bool operator==(const Position& a, const Position& b) {
  // Every member is made of 32- and 8-bit integers in arrays of their own kind, so the
  // table records have no padding and compare byte for byte.
  static_assert(sizeof(PlatformTableRecord) % sizeof(std::int32_t) == 0);
  return std::memcmp(a.record, b.record, sizeof a.record) == 0 &&
         std::memcmp(a.boardGrid, b.boardGrid, sizeof a.boardGrid) == 0 &&
         std::memcmp(&a.platformTable, &b.platformTable, sizeof a.platformTable) == 0 &&
         a.platformCount == b.platformCount && std::memcmp(a.ballX, b.ballX, sizeof a.ballX) == 0 &&
         std::memcmp(a.ballY, b.ballY, sizeof a.ballY) == 0 &&
         std::memcmp(a.ballAlive, b.ballAlive, sizeof a.ballAlive) == 0 &&
         a.ballTotal == b.ballTotal && a.ballsLeft == b.ballsLeft && a.playerX == b.playerX &&
         a.playerY == b.playerY && a.moveDirection == b.moveDirection && a.stepX == b.stepX &&
         a.stepY == b.stepY && a.playerMoving == b.playerMoving &&
         a.carryingPlatform == b.carryingPlatform && a.levelSolved == b.levelSolved &&
         (!a.levelSolved || a.solvedClock == b.solvedClock) && a.currentLevel == b.currentLevel;
}
