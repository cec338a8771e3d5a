#include "play/movement.h"

std::uint8_t NeighbourWater;
std::uint8_t NeighbourLand;
std::uint8_t NeighbourPlatform;
std::uint8_t OnPlatform;

void ResetMovementQueryState() {
  NeighbourWater = NeighbourLand = NeighbourPlatform = OnPlatform = 0;
}
