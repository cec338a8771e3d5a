#include "play/play_frame.h"

std::int32_t MoveDirection;
std::int32_t StepX;
std::int32_t StepY;
std::uint8_t PlayerMoving;
std::uint8_t CarryingPlatform;

void ResetPlayFrameState() {
  MoveDirection = StepX = StepY = 0;
  PlayerMoving = CarryingPlatform = 0;
}
