// The movement queries and the decision of a move.
#include "play/movement.h"

// Positions may be anything a record or an editor left, so cell arithmetic is done in 64 bits
// and every cell is checked against the board before the board is read. A position off the
// board stands on no cell.

namespace {

// The board's state at (column, row), or 0 for a cell off the board.
std::int32_t CellState(const Board& board, std::int64_t column, std::int64_t row) {
  return OnBoard(column, row) ? board.cell[column][row] : 0;
}

}  // namespace

bool AtCellBoundary(const GameState& state) {
  return state.playerX % CellPixels == 0 && state.playerY % CellPixels == 0;
}

std::int32_t FindPlatformUnderPlayer(const Level& level, const GameState& state) {
  const std::int64_t cx = std::int64_t(state.playerX) + CellPixels / 2;
  const std::int64_t cy = std::int64_t(state.playerY) + CellPixels / 2;
  std::int32_t found = -1;
  for (std::int32_t n = 0; n < level.platformCount; ++n) {
    const PlatformRecord& platform = level.platform[n];
    const std::int64_t x = state.platformX[n];
    const std::int64_t y = state.platformY[n];
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

bool CanPlatformMove(const Level& level, const Board& board, const GameState& state, std::int32_t n,
                     std::int32_t direction) {
  // Only platforms that exist can move, and only in the four directions.
  if (n < 0 || n >= level.platformCount) return false;
  const PlatformRecord& platform = level.platform[n];
  std::int32_t count;
  const EdgeCell* edge;
  switch (direction) {
    case DirLeft:
      count = platform.leftCount;
      edge = platform.leftEdge;
      break;
    case DirUp:
      count = platform.upCount;
      edge = platform.upEdge;
      break;
    case DirRight:
      count = platform.rightCount;
      edge = platform.rightEdge;
      break;
    case DirDown:
      count = platform.downCount;
      edge = platform.downEdge;
      break;
    default:
      return false;
  }
  int stepX, stepY;
  DirectionStep(direction, &stepX, &stepY);
  if (count > 3) count = 3;  // the lists hold three cells
  // Each edge cell's neighbour in the direction must be open water. An edge cell is whole cells
  // from the box's corner, so its cell is the corner's cell plus its offset, wherever the box is.
  const std::int64_t column = CellOf(state.platformX[n]) + stepX;
  const std::int64_t row = CellOf(state.platformY[n]) + stepY;
  for (std::int32_t i = 0; i < count; ++i) {
    if (CellState(board, column + edge[i].dx, row + edge[i].dy) != CellWater) return false;
  }
  return true;
}

void DecideMove(const Level& level, const Board& board, GameState* state, std::int32_t direction) {
  Movement& m = state->movement;
  m.stepX = m.stepY = 0;
  m.moving = m.carrying = 0;
  if (direction < DirLeft || direction > DirDown) return;
  const std::int64_t column = CellOf(state->playerX);
  const std::int64_t row = CellOf(state->playerY);
  // A Player off the board has no neighbours: every direction is blocked.
  if (!OnBoard(column, row)) return;
  const bool onPlatform = CellState(board, column, row) == CellPlatform;
  int dx, dy;
  DirectionStep(direction, &dx, &dy);
  const std::int32_t neighbour = CellState(board, column + dx, row + dy);
  if (WalksOnto(neighbour)) {
    m.moving = 1;
  } else if (neighbour == CellWater && onPlatform) {
    // The platform under him: on a cell boundary, FindPlatformUnderPlayer's answer is the
    // highest slot covering his cell, which the board keeps.
    const std::int32_t n = board.owner[column][row];
    if (n >= 0 && CanPlatformMove(level, board, *state, n, direction)) m.moving = m.carrying = 1;
  }
  if (m.moving) {
    m.stepX = dx * StepPixels;
    m.stepY = dy * StepPixels;
  }
}
