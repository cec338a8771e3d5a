// The board queries that decide every move: where the Player stands, what lies next to him,
// which platform he is on, and whether a platform can move one cell.
#pragma once

#include <cstdint>

extern std::uint8_t NeighbourWater;
extern std::uint8_t NeighbourLand;
extern std::uint8_t NeighbourPlatform;
extern std::uint8_t OnPlatform;

std::uint8_t AtCellBoundary();
void ProbeUnderPlayer();
void ProbeLeft();
void ProbeUp();
void ProbeRight();
void ProbeDown();
// The water tests of one direction each, at the cell holding a pixel. CanPlatformMove asks the
// same question in 64-bit arithmetic of its own, so the game itself calls none of these four.
std::uint8_t WaterLeftOf(std::int32_t px, std::int32_t py);
std::uint8_t WaterAbove(std::int32_t px, std::int32_t py);
std::uint8_t WaterRightOf(std::int32_t px, std::int32_t py);
std::uint8_t WaterBelow(std::int32_t px, std::int32_t py);
std::uint8_t CanPlatformMove(std::int32_t n, std::int32_t direction);
std::int32_t FindPlatformUnderPlayer();
// FindPlatformUnderPlayer measures distances in 64 bits, so the game itself never calls this.
std::int32_t AbsValue(std::int32_t v);

void ResetMovementQueryState();
