// One frame of play.
#pragma once

#include <cstdint>

extern std::int32_t MoveDirection;  // 0 none, else DirLeft..DirDown
extern std::int32_t StepX;
extern std::int32_t StepY;
extern std::uint8_t PlayerMoving;
extern std::uint8_t CarryingPlatform;

std::int32_t PlayFrame();

// The movement decision of a frame that begins on a cell boundary, for a direction (0: none):
// sets StepX, StepY, PlayerMoving and CarryingPlatform. PlayFrame and the solver share it.
void DecideMove(std::int32_t direction);
// One frame's movement step: the Player, then the platform he carries.
void AdvanceMove();

void ResetPlayFrameState();
