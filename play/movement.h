// The board queries that decide every move: where the Player stands, which platform he is on,
// whether a platform can move one cell, and the decision itself, as free functions over a level,
// the board it shows and a state.
#pragma once

#include <cstdint>

#include "board/level.h"

// The Player (and the platform he carries) moves 4 pixels a frame: a move is ten frames.
inline constexpr std::int32_t StepPixels = 4;
inline constexpr std::int32_t FramesPerMove = CellPixels / StepPixels;

// The Player walks onto a neighbouring cell of the board that is land or a platform (from
// wherever he stands): the walk of DecideMove, and of every walk a search counts.
inline constexpr bool WalksOnto(std::int32_t cell) {
  return cell == CellLand || cell == CellPlatform;
}

// The cell step of a direction (DirLeft..DirDown; 0, 0 for any other).
inline void DirectionStep(std::int32_t direction, int* dx, int* dy) {
  *dx = direction == DirLeft ? -1 : direction == DirRight ? 1 : 0;
  *dy = direction == DirUp ? -1 : direction == DirDown ? 1 : 0;
}

// True when the Player stands exactly on a cell (x and y multiples of 40).
bool AtCellBoundary(const GameState& state);
// The slot of the platform under the Player (the last one that has a cell within a cell's width
// of him), or -1.
std::int32_t FindPlatformUnderPlayer(const Level& level, const GameState& state);
// True when platform n can move one cell in the direction (DirLeft..DirDown): every cell its
// leading edge would newly cover is open water.
bool CanPlatformMove(const Level& level, const Board& board, const GameState& state, std::int32_t n,
                     std::int32_t direction);
// The decision on a cell boundary for a direction (0: none): the Player walks onto land or a
// platform, carries the platform he stands on onto open water, or stays. Sets the state's
// movement; moves nothing.
void DecideMove(const Level& level, const Board& board, GameState* state, std::int32_t direction);
