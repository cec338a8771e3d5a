#include "play/scene.h"

std::uint32_t SolvedClock;
std::uint8_t FinishedPlayed;

void ResetSceneState() {
  SolvedClock = 0;
  FinishedPlayed = 0;
}
