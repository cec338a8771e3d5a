// One frame of the rules and one whole move, over a level and a state. The game, the solver,
// undo, hints and the tests all move the Player through these: the rules exist once.
#pragma once

#include <cstdint>

#include "board/level.h"

// What a frame of the rules did, for the game to play, show and store.
struct RuleEvents {
  std::uint8_t stepStarted = 0;    // a move began on this frame's cell boundary
  std::uint8_t carried = 0;        // ... and it carries the platform under the Player
  std::int8_t platformMoved = -1;  // the slot of the platform that moved with him, if any
  std::uint8_t ballsTaken = 0;     // balls the Player took this frame
  std::uint8_t solved = 0;         // one of them was the last
};

// One frame: on a cell boundary the move is decided for the state's direction (DecideMove);
// then the Player takes his step and the platform he carries follows; then he takes the balls
// lying where he stands, exactly on a cell.
RuleEvents RulesFrame(const Level& level, GameState* state);

// The whole move in a direction from a cell boundary: the frames from one cell to the next (ten
// of them), or the one frame that decides that nothing moves, taken at once. It ends where
// RulesFrame, frame after frame, ends (the tests hold the two to it). The events of all its
// frames.
RuleEvents MakeMove(const Level& level, GameState* state, std::int32_t direction);
// The same on the board the state shows (BuildBoard), for a caller that asks it of several
// directions: a search.
RuleEvents MakeMoveOn(const Level& level, const Board& board, GameState* state,
                      std::int32_t direction);
