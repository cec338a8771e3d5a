#include "play/movement.h"

#include "board/board_state.h"
#include "gfx/sprites.h"

std::uint8_t NeighbourWater;
std::uint8_t NeighbourLand;
std::uint8_t NeighbourPlatform;
std::uint8_t OnPlatform;

// Positions may be anything a caller left in a BOB or the PlatformTable, so cell arithmetic is
// done in 64 bits and every cell is checked against the board before the grid is read. A
// position off the board stands on no cell.

namespace {

// The grid state at (column, row), or 0 for a cell off the board.
std::int32_t CellState(std::int64_t column, std::int64_t row) {
  return OnBoard(column, row) ? BoardGrid[column][row] : 0;
}

// Sets the three neighbour flags from the cell next to the Player's by (stepX, stepY). A Player
// off the board has no neighbours.
void ProbeNeighbour(int stepX, int stepY) {
  NeighbourWater = NeighbourLand = NeighbourPlatform = 0;
  const std::int64_t column = CellOf(PlayerBob.x);
  const std::int64_t row = CellOf(PlayerBob.y);
  if (!OnBoard(column, row)) return;
  const std::int32_t state = CellState(column + stepX, row + stepY);
  NeighbourWater = state == CellWater;
  NeighbourLand = state == CellLand;
  NeighbourPlatform = state == CellPlatform;
}

// Whether the cell next to the one holding pixel (px, py) by (stepX, stepY) is open water.
std::uint8_t WaterNextTo(std::int64_t px, std::int64_t py, int stepX, int stepY) {
  return CellState(CellOf(px) + stepX, CellOf(py) + stepY) == CellWater;
}

}  // namespace

std::uint8_t AtCellBoundary() {
  return PlayerBob.x % CellPixels == 0 && PlayerBob.y % CellPixels == 0;
}

void ProbeUnderPlayer() {
  OnPlatform = CellState(CellOf(PlayerBob.x), CellOf(PlayerBob.y)) == CellPlatform;
}

void ProbeLeft() {
  ProbeNeighbour(-1, 0);
}
void ProbeUp() {
  ProbeNeighbour(0, -1);
}
void ProbeRight() {
  ProbeNeighbour(1, 0);
}
void ProbeDown() {
  ProbeNeighbour(0, 1);
}

std::uint8_t WaterLeftOf(std::int32_t px, std::int32_t py) {
  return WaterNextTo(px, py, -1, 0);
}
std::uint8_t WaterAbove(std::int32_t px, std::int32_t py) {
  return WaterNextTo(px, py, 0, -1);
}
std::uint8_t WaterRightOf(std::int32_t px, std::int32_t py) {
  return WaterNextTo(px, py, 1, 0);
}
std::uint8_t WaterBelow(std::int32_t px, std::int32_t py) {
  return WaterNextTo(px, py, 0, 1);
}

std::uint8_t CanPlatformMove(std::int32_t n, std::int32_t direction) {
  // Only platforms that exist can move, and only in the four directions.
  if (n < 0 || n >= PlatformCount || n >= MaxPlatformsInRecord) return 0;
  const PlatformRecord& platform = PlatformTable.record[n];
  std::int32_t count;
  const EdgeCell* edge;
  int stepX = 0, stepY = 0;
  switch (direction) {
    case DirLeft:
      count = platform.leftCount;
      edge = platform.leftEdge;
      stepX = -1;
      break;
    case DirUp:
      count = platform.upCount;
      edge = platform.upEdge;
      stepY = -1;
      break;
    case DirRight:
      count = platform.rightCount;
      edge = platform.rightEdge;
      stepX = 1;
      break;
    case DirDown:
      count = platform.downCount;
      edge = platform.downEdge;
      stepY = 1;
      break;
    default:
      return 0;
  }
  if (count <= 0) return 1;
  if (count > 3) count = 3;  // the lists hold three cells
  const std::int64_t x = PlatformTable.x[n];
  const std::int64_t y = PlatformTable.y[n];
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int64_t px = std::int64_t(edge[i].dx) * CellPixels + x;
    const std::int64_t py = std::int64_t(edge[i].dy) * CellPixels + y;
    if (!WaterNextTo(px, py, stepX, stepY)) return 0;
  }
  return 1;
}

std::int32_t FindPlatformUnderPlayer() {
  const std::int64_t cx = std::int64_t(PlayerBob.x) + CellPixels / 2;
  const std::int64_t cy = std::int64_t(PlayerBob.y) + CellPixels / 2;
  const std::int32_t count =
      PlatformCount < MaxPlatformsInRecord ? PlatformCount : MaxPlatformsInRecord;
  std::int32_t found = -1;
  for (std::int32_t n = 0; n < count; ++n) {
    const PlatformRecord& platform = PlatformTable.record[n];
    const std::int64_t x = PlatformTable.x[n];
    const std::int64_t y = PlatformTable.y[n];
    // Every cell centre lies 20..100 pixels right of and below the box's corner: a Player centre
    // 40 or more beyond that range matches none of them.
    if (cx <= x - CellPixels / 2 || cx >= x + 3 * CellPixels + CellPixels / 2 ||
        cy <= y - CellPixels / 2 || cy >= y + 3 * CellPixels + CellPixels / 2) {
      continue;
    }
    for (int dx = 0; dx < 3; ++dx) {
      for (int dy = 0; dy < 3; ++dy) {
        if (platform.shape[dx][dy] != 1) continue;
        const std::int64_t ccx = dx * CellPixels + x + CellPixels / 2;
        const std::int64_t ccy = dy * CellPixels + y + CellPixels / 2;
        const std::int64_t ax = cx > ccx ? cx - ccx : ccx - cx;
        const std::int64_t ay = cy > ccy ? cy - ccy : ccy - cy;
        if (ax < CellPixels && ay < CellPixels) found = n;  // the last match wins
      }
    }
  }
  return found;
}

std::int32_t AbsValue(std::int32_t v) {
  // Negated in unsigned arithmetic: the most negative value comes back unchanged, without
  // overflow.
  const std::uint32_t u = std::uint32_t(v);
  return v < 0 ? std::int32_t(0u - u) : v;
}

void ResetMovementQueryState() {
  NeighbourWater = NeighbourLand = NeighbourPlatform = OnPlatform = 0;
}
