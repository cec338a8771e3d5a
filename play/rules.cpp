// One frame of the rules: the decision, the step, the balls taken and the solved level.
#include "play/rules.h"

#include "play/movement.h"

namespace {

// The Player's step, then the platform he carries: it is found after his step, when he is a
// few pixels ahead of it.
void AdvanceMove(const Level& level, GameState* state, RuleEvents* events) {
  const Movement& m = state->movement;
  if (!m.moving) return;
  state->playerX += m.stepX;
  state->playerY += m.stepY;
  if (!m.carrying) return;
  const std::int32_t n = FindPlatformUnderPlayer(level, *state);
  if (n < 0) return;
  state->platformX[n] += m.stepX;
  state->platformY[n] += m.stepY;
  events->platformMoved = std::int8_t(n);
}

// A ball is taken when the Player stands exactly on its cell; the last one solves the level.
void CollectBalls(const Level& level, GameState* state, RuleEvents* events) {
  const std::int32_t x = state->playerX, y = state->playerY;
  // On a cell of the board: 0..13 cells right and down, exactly.
  constexpr std::uint32_t Side = BoardCells * CellPixels;
  if (std::uint32_t(x) >= Side || std::uint32_t(y) >= Side || std::uint32_t(x) % CellPixels != 0 ||
      std::uint32_t(y) % CellPixels != 0) {
    return;
  }
  for (int n = 0; n < level.ballCount; ++n) {
    const std::uint8_t bit = std::uint8_t(1u << n);
    if (!(state->ballsLying & bit) || level.ballX[n] != x || level.ballY[n] != y) continue;
    state->ballsLying &= std::uint8_t(~bit);
    ++events->ballsTaken;
    if (state->ballsLying == 0) state->solved = events->solved = 1;
  }
}

}  // namespace

RuleEvents RulesFrame(const Level& level, GameState* state) {
  RuleEvents events;
  if (AtCellBoundary(*state)) {
    Board board;
    BuildBoard(level, *state, &board);
    DecideMove(level, board, state, state->movement.direction);
    events.stepStarted = state->movement.moving;
    events.carried = state->movement.carrying;
  }
  AdvanceMove(level, state, &events);
  CollectBalls(level, state, &events);
  return events;
}

RuleEvents MakeMove(const Level& level, GameState* state, std::int32_t direction) {
  Board board;
  BuildBoard(level, *state, &board);
  return MakeMoveOn(level, board, state, direction);
}

RuleEvents MakeMoveOn(const Level& level, const Board& board, GameState* state,
                      std::int32_t direction) {
  RuleEvents events;
  state->movement.direction = direction;
  DecideMove(level, board, state, direction);
  const Movement& m = state->movement;
  events.stepStarted = m.moving;
  events.carried = m.carrying;
  if (m.moving) {
    // Every frame of a move takes the same step, and the platform found under the Player in each
    // of them is the one under him on the boundary (the highest slot covering his cell): he
    // moves with it, and every cell ahead of him is his platform's or open water. Between cells
    // no ball is taken.
    constexpr std::int32_t frames = FramesPerMove;
    const std::int32_t n =
        m.carrying ? board.owner[CellOf(state->playerX)][CellOf(state->playerY)] : -1;
    state->playerX += frames * m.stepX;
    state->playerY += frames * m.stepY;
    if (n >= 0) {
      state->platformX[n] += frames * m.stepX;
      state->platformY[n] += frames * m.stepY;
      events.platformMoved = std::int8_t(n);
    }
  }
  CollectBalls(level, state, &events);
  return events;
}
