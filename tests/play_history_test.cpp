// Undo, redo, the move counter, par and best, and hints, played through real frames.
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/progress.h"
#include "app/records.h"
#include "app/status.h"
#include "board/board_state.h"
#include "input/input.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "play/hint.h"
#include "play/history.h"
#include "play/play_frame.h"
#include "play/position.h"
#include "play/solver.h"
#include "tests/test_levels.h"
#include "tests/test_support.h"

namespace {

// The same Player, platforms and balls (the movement state of a frame may differ).
bool SamePlace(const Position& a, const Position& b) {
  Position c = b;
  c.moveDirection = a.moveDirection;
  c.playerMoving = a.playerMoving;
  c.carryingPlatform = a.carryingPlatform;
  c.stepX = a.stepX;
  c.stepY = a.stepY;
  return a == c;
}

class History : public testing_support::FreshProgram {
 protected:
  // Boots the game on a shipped level, played as level 1.
  void Boot(int level) {
    testing_support::CopyRunFiles(level);
    testing_support::BootGame();
    Frames(1);
  }
  static void Frames(int n, std::vector<std::uint8_t> keys = {}) {
    for (int i = 0; i < n; ++i) {
      headless::HoldKeys(keys);
      PlayFrame();
      UpdateStatusLine();
    }
  }
  // One press of a key, then a frame without it.
  static void Press(std::uint8_t key) {
    Frames(1, {key});
    Frames(1);
  }
  static void Move(char m) {
    Frames(10, {std::uint8_t(m == 'L'   ? DIK_LEFT
                             : m == 'U' ? DIK_UP
                             : m == 'R' ? DIK_RIGHT
                                        : DIK_DOWN)});
  }
  static std::string Status() { return platform::StatusText(); }
};

// Undo takes back whole moves (carries and balls included) to the level's start, redo brings
// them back, a new move ends redo, a restart is a step of its own, and a solve stands.
TEST_F(History, UndoRedoAndRestartAreStepsOfTheAttempt) {
  Boot(2);
  const std::string moves = SolveLevelFile("level1.dat").moves;
  const Position start = CapturePosition();
  std::vector<Position> after;
  for (int i = 0; i < 23; ++i) {
    Move(moves[i]);
    after.push_back(CapturePosition());
  }
  EXPECT_EQ(MoveCount, 23);
  EXPECT_NE(Status().find("Moves 23   Best -   Par 24"), std::string::npos) << Status();
  for (int i = 22; i >= 0; --i) {
    Press(DIK_Z);
    EXPECT_EQ(MoveCount, i);
    EXPECT_EQ(CapturePosition().playerX, i ? after[i - 1].playerX : start.playerX);
  }
  EXPECT_EQ(CapturePosition().ballsLeft, start.ballsLeft);
  EXPECT_EQ(CapturePosition().platformTable.x[0], start.platformTable.x[0]);
  Press(DIK_BACK);  // nothing left to take back
  EXPECT_EQ(MoveCount, 0);
  for (int i = 0; i < 5; ++i) Press(DIK_Y);
  EXPECT_TRUE(SamePlace(CapturePosition(), after[4]));

  Press(DIK_R);  // a restart: undone, it gives back the moves before it
  EXPECT_EQ(MoveCount, 0);
  Press(DIK_U);
  EXPECT_EQ(MoveCount, 5);
  EXPECT_TRUE(SamePlace(CapturePosition(), after[4]));
  Move(moves[5] == 'L' ? 'R' : 'L');  // a new move ends what could be redone
  Press(DIK_Y);
  EXPECT_EQ(MoveCount, 6);

  Press(DIK_Z);
  for (int i = 5; i < 24; ++i) Move(moves[i]);
  Frames(1);
  ASSERT_EQ(LevelSolved, 1);
  EXPECT_EQ(Status(), "Solved in 24 moves: a new best!");
  Press(DIK_Z);  // the solve stands
  EXPECT_EQ(LevelSolved, 1);
  EXPECT_EQ(MoveCount, 24);
}

// Par comes from par.txt by the level's bytes, or from a search for a level it does not name;
// the best is kept by the bytes too, survives a restart of the program, and a damaged record
// file is ignored and replaced at the next solve.
TEST_F(History, ParAndBestBelongToTheLevelsBytes) {
  Boot(1);
  EXPECT_EQ(ParOfLevelInPlay(), 8);
  testing_support::WriteBytes("par.txt", {'#', '\n'});  // par.txt is read once a run
  EXPECT_EQ(ParOfLevelInPlay(), 8);
  ResetRecordsState();
  EXPECT_EQ(ParOfLevelInPlay(), 8);  // not named any more: found by the solver

  RecordSolve(12);
  ResetRecordsState();
  EXPECT_EQ(BestOf(LevelInPlayKey), 12);
  RecordSolve(15);
  EXPECT_FALSE(LastSolve.newBest);
  EXPECT_EQ(StatusLine().find("Level 1   Moves 0   Best 12   Par 8"), 0u) << StatusLine();

  ASSERT_TRUE(platform::WriteUserValue("Best", reinterpret_cast<const std::uint8_t*>("junk"), 4));
  ResetRecordsState();
  EXPECT_EQ(BestOf(LevelInPlayKey), -1);
  RecordSolve(9);
  ResetRecordsState();
  EXPECT_EQ(BestOf(LevelInPlayKey), 9);
}

// A hint is the first move of a shortest solution from where the Player stands; following it
// needs no new search; from a hopeless position it says so.
TEST_F(History, HintIsTheFirstMoveOfAShortestSolution) {
  Boot(4);
  const std::string moves = SolveLevelFile("level1.dat").moves;
  Move(moves[0] == 'L' ? 'R' : 'L');  // off the best line
  const std::size_t distance = SolveFromPosition(CapturePosition()).moves.size();
  const char* names[] = {"", "left", "up", "right", "down"};
  for (std::size_t left = distance; left > 0; --left) {
    Press(DIK_H);
    ASSERT_EQ(Hint, HintKind::Move);
    EXPECT_NE(Status().find(std::string("Hint: ") + names[HintDirection]), std::string::npos);
    Move("?LURD"[HintDirection]);
    if (left > distance - 3) {  // each hint brings the solution one move nearer
      EXPECT_EQ(SolveFromPosition(CapturePosition()).moves.size(), left - 1);
    }
  }
  Frames(1);
  EXPECT_EQ(LevelSolved, 1);
  // Two islands and no platform: no solution from the start.
  ResetProgramState();
  SetProgressOverride(true, 1);  // level 1 again, though it was just solved
  testing_support::WriteLevel("level1.dat", {{"##.#"}, {0, 0}, {{3, 0}}, {}});
  testing_support::BootGame();
  Frames(1);
  Press(DIK_H);
  EXPECT_EQ(Hint, HintKind::NoSolution);
  EXPECT_NE(Status().find("No solution from here: Z to undo"), std::string::npos) << Status();
}

}  // namespace
