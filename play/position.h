// A position: everything the rules read or write between two frames, as one plain value.
//
// The rules keep their state where the game has always kept it, in the program-wide records
// (the LevelRecord, BoardGrid, PlatformTable, BallTable, PlayerBob, the movement state,
// LevelSolved and SolvedClock). A Position is a copy of all of them: CapturePosition takes one
// and RestorePosition puts it back. Undo is a list of positions; the solver starts from any.
//
// Left out, because no later frame reads them before writing them: the neighbour flags of the
// movement queries. Left out because they belong to the run, not the position: the modes, the
// finishing sound's once-a-run flag, the sprites' pictures and the saved progress.
#pragma once

#include <cstdint>

#include "board/board_state.h"
#include "gfx/sprites.h"

struct Position {
  std::uint8_t record[LevelRecordSize];
  std::int32_t boardGrid[BoardCells][BoardCells];
  PlatformTableRecord platformTable;
  std::int32_t platformCount;
  std::int32_t ballX[BallSlots], ballY[BallSlots];
  std::uint8_t ballAlive[BallSlots];
  std::int32_t ballTotal, ballsLeft;
  std::int32_t playerX, playerY;
  std::int32_t moveDirection, stepX, stepY;
  std::uint8_t playerMoving, carryingPlatform;
  std::uint8_t levelSolved;
  std::uint32_t solvedClock;  // read only while the level is solved
  std::uint8_t currentLevel;  // the level a solve advances from
};

Position CapturePosition();
void RestorePosition(const Position& position);

// Equal exactly when the game plays on identically from the two positions (the solved clock
// counts only while solved: otherwise every frame sets it afresh).
bool operator==(const Position& a, const Position& b);
