// The rules on values: a whole move taken at once ends where the frames end, along every
// shipped level's solution and in random play, with the events of a solve once; and a search
// runs beside a game mid-move without touching it.
#include <random>
#include <string>
#include <vector>

#include "app/play_frame.h"
#include "board/level.h"
#include "midend/game.h"
#include "midend/search.h"
#include "midend/solver.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "play/movement.h"
#include "play/rules.h"
#include "tests/test_levels.h"
#include "tests/test_support.h"

namespace {

Level ShippedLevel(int n) {
  const std::vector<std::uint8_t> bytes = testing_support::ReadBytes(
      testing_support::GameDir() + "/level" + std::to_string(n) + ".dat");
  Level level;
  SetUpLevel(bytes.data(), &level);
  return level;
}

// The frames of one move, one at a time, as the game runs them; the events of them all.
RuleEvents FrameByFrame(const Level& level, GameState* state, std::int32_t direction) {
  state->movement.direction = direction;
  RuleEvents total = RulesFrame(level, state);
  while (state->movement.moving && !AtCellBoundary(*state)) {
    const RuleEvents e = RulesFrame(level, state);
    total.ballsTaken += e.ballsTaken;
    total.solved += e.solved;
  }
  return total;
}

// Both ways agree on the state and the events; the frames' state goes on.
void ExpectSameMove(const Level& level, GameState* state, std::int32_t direction) {
  GameState whole = *state;
  const RuleEvents a = MakeMove(level, &whole, direction);
  const RuleEvents b = FrameByFrame(level, state, direction);
  ASSERT_EQ(whole, *state) << "direction " << direction;
  EXPECT_EQ(std::tuple(a.stepStarted, a.carried, a.ballsTaken, a.solved),
            std::tuple(b.stepStarted, b.carried, b.ballsTaken, b.solved));
}

using Rules = testing_support::FreshProgram;

TEST_F(Rules, AWholeMoveEndsWhereItsFramesEnd) {
  std::mt19937 random(7);
  for (int n = 1; n <= LevelCount; ++n) {
    SCOPED_TRACE(n);
    const Level level = ShippedLevel(n);
    // The solution: walks, carries, balls and the last ball, whose solve comes out once.
    GameState state = StartState(level);
    int solves = 0, balls = 0;
    for (char move : SolveFromState(level, state).moves) {
      GameState whole = state;
      const RuleEvents e = MakeMove(level, &whole, MoveDirection(move));
      ExpectSameMove(level, &state, MoveDirection(move));
      solves += e.solved;
      balls += e.ballsTaken;
    }
    EXPECT_EQ(std::pair(solves, balls), std::pair(1, level.ballCount));
    EXPECT_TRUE(state.solved);
    // Random play, blocked moves and blocked carries included.
    state = StartState(level);
    for (int step = 0; step < 400 && !state.solved; ++step) {
      ExpectSameMove(level, &state, 1 + int(random() % 4));
    }
  }
}

TEST_F(Rules, ASearchLeavesAGameMidMoveAlone) {
  testing_support::WriteLevel(
      "level1.dat", {{"#.............", "#............."}, {1, 1}, {{4, 0}}, {{7, 1, 0}}});
  testing_support::BootGame();
  const GameState start = PlayState;
  headless::HoldKeys({DIK_RIGHT});
  for (int f = 0; f < 4; ++f) PlayFrame();  // carrying the bar, between cells
  ASSERT_TRUE(PlayState.movement.carrying && !AtCellBoundary(PlayState));
  const GameState game = PlayState;
  const Level level = PlayLevel;
  EXPECT_EQ(SolveFromState(PlayLevel, start).moves.size(), 4u);
  EXPECT_EQ(SolveLevelRecord(LevelRecord).outcome, SolveOutcome::Solved);
  EXPECT_TRUE(PlayState == game && PlayLevel == level);
}

}  // namespace
