// A position is the whole of the rules' state: a position put back plays on exactly as the game
// did.
#include <filesystem>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/progress.h"
#include "board/board_state.h"
#include "gfx/display.h"
#include "input/input.h"
#include "platform/headless/headless.h"
#include "play/play_frame.h"
#include "play/position.h"
#include "play/solver.h"
#include "tests/test_levels.h"
#include "tests/test_support.h"

namespace {

class Positions : public testing_support::FreshProgram {};

bool OnBoundary(const Position& p) {
  return p.playerX % CellPixels == 0 && p.playerY % CellPixels == 0;
}

// Level 2 played by its shortest solution, one frame at a time; a position taken on a
// boundary, in the middle of a carry and just after a ball, then put back, plays on to the
// same frames and the same positions.
TEST_F(Positions, ARestoredPositionPlaysOnAsTheGameDid) {
  testing_support::CopyRunFiles();
  SetProgressOverride(true, 2);
  const std::string moves = SolveLevelFile("level2.dat").moves;
  ASSERT_EQ(moves.size(), 24u);
  std::vector<std::uint8_t> keys = {0};  // one still frame, then ten frames a move
  for (char m : moves) {
    const std::uint8_t key = m == 'L'   ? DIK_LEFT
                             : m == 'U' ? DIK_UP
                             : m == 'R' ? DIK_RIGHT
                                        : DIK_DOWN;
    keys.insert(keys.end(), 10, key);
  }
  keys.insert(keys.end(), 90, 0);  // on past the banner

  testing_support::BootGame();
  struct Frame {
    Position position;
    std::uint64_t now;
    std::vector<std::uint32_t> pixels;
  };
  auto play = [&keys](std::size_t frame) {
    headless::HoldKeys(keys[frame] ? std::vector<std::uint8_t>{keys[frame]}
                                   : std::vector<std::uint8_t>{});
    PlayFrame();
    return Frame{CapturePosition(), headless::NowMicroseconds(), BackBuffer->pixels};
  };
  std::vector<Frame> frames;
  std::size_t boundary = 0, carry = 0, ball = 0;
  for (std::size_t f = 0; f < keys.size(); ++f) {
    frames.push_back(play(f));
    const Position& p = frames.back().position;
    if (boundary == 0 && f > 30 && OnBoundary(p)) boundary = f;
    if (carry == 0 && p.carryingPlatform && !OnBoundary(p)) carry = f;
    if (ball == 0 && p.ballsLeft < p.ballTotal) ball = f;
  }
  ASSERT_TRUE(frames.back().position.levelSolved);
  ASSERT_NE(carry, 0u);
  ASSERT_NE(ball, 0u);
  for (std::size_t from : {boundary, carry, ball}) {
    SCOPED_TRACE(from);
    RestorePosition(frames[from].position);
    headless::SetNowMicroseconds(frames[from].now);
    for (std::size_t f = from + 1; f < keys.size(); ++f) {
      const Frame again = play(f);
      ASSERT_TRUE(again.position == frames[f].position) << "frame " << f;
      ASSERT_TRUE(again.pixels == frames[f].pixels) << "frame " << f;
    }
  }
}

}  // namespace
