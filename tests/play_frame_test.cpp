// One frame of play: how keys become moves, how the Player walks and carries, which cases
// block, and what happens around a solved level.
#include "app/play_frame.h"

#include <filesystem>
#include <vector>

#include "app/notices.h"
#include "app/progress.h"
#include "app/scene.h"
#include "app/settings.h"
#include "app/shell.h"
#include "app/status.h"
#include "editor/editor.h"
#include "fuzz/targets.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "input/actions.h"
#include "input/input.h"
#include "midend/game.h"
#include "midend/puzzle.h"
#include "platform/headless/headless.h"
#include "sound/sound.h"
#include "tests/test_levels.h"
#include "tests/test_support.h"

namespace {

using testing_support::TestLevel;

// Land in the left half of rows 4..6, water elsewhere; a 2 x 2 platform (type 5) at column 8,
// row 4 and a one-column platform (type 7) at column 12, row 8.
const std::vector<std::string> Harbour = {
    "..............", "..............", "..............", "..............", "#######.......",
    "#######.......", "#######.......", "..............", "..............", "..............",
    "..............", "..............", "..............", "..............",
};

class PlayFrames : public testing_support::FreshProgram {
 protected:
  void Boot(const TestLevel& level, int levelNumber = 1) {
    fuzz::CopyGameFiles();
    testing_support::WriteLevel("level" + std::to_string(levelNumber) + ".dat", level);
    std::filesystem::create_directories("data/yelko");
    testing_support::WriteBytes("data/yelko/Level", {std::uint8_t(levelNumber)});
    testing_support::BootGame();
    ASSERT_EQ(CurrentLevel, levelNumber);
  }

  void Frames(int n, std::vector<std::uint8_t> keys = {}) {
    headless::HoldKeys(std::move(keys));
    for (int i = 0; i < n; ++i) PlayFrame();
  }

  static std::pair<int, int> Player() { return {PlayState.playerX, PlayState.playerY}; }
  static std::pair<int, int> Platform(int n) {
    return {PlayState.platformX[n], PlayState.platformY[n]};
  }
  static std::pair<int, int> At(int column, int row) { return {column * 40, row * 40}; }
};

// Ten frames of four pixels a move, the next following at once while the arrow is down. A move
// is decided on cell boundaries only, but no press is lost: a tap between two is taken at the
// next (the last of several), and a key let go before a boundary never walks another cell.
TEST_F(PlayFrames, AMoveTakesTenFramesAndEveryTapWalksExactlyOneCell) {
  Boot({Harbour, {1, 5}, {{13, 13}}, {}});
  Frames(1, {DIK_RIGHT});
  EXPECT_EQ(Player(), std::make_pair(44, 200));
  Frames(9, {DIK_RIGHT});
  EXPECT_EQ(Player(), At(2, 5));
  Frames(1, {DIK_RIGHT});
  EXPECT_EQ(Player(), std::make_pair(84, 200));
  Frames(2);
  headless::TapKey(DIK_UP);  // shorter than a frame, in the middle of a move
  Frames(7);
  EXPECT_EQ(Player(), At(3, 5));
  Frames(15);
  EXPECT_EQ(Player(), At(3, 4));
  // Held for a whole move (160 ms is 9.6 frames) and let go: one cell. A frame longer, the key
  // is down at the boundary and walks on.
  Frames(10, {DIK_DOWN});
  Frames(10);
  EXPECT_EQ(Player(), At(3, 5));
  Frames(11, {DIK_RIGHT});
  Frames(15);
  EXPECT_EQ(Player(), At(5, 5));
  Frames(1, {DIK_LEFT});
  headless::TapKey(DIK_UP);
  Frames(1);
  headless::TapKey(DIK_DOWN);
  Frames(18);
  EXPECT_EQ(Player(), At(4, 6));
  // Of several arrows held, the later in left, up, right, down wins.
  Frames(10, {DIK_LEFT, DIK_UP, DIK_RIGHT});
  EXPECT_EQ(Player(), At(5, 6));
}

TEST_F(PlayFrames, ACarryMovesPlayerAndPlatformTogetherOntoTheNextBoundary) {
  // The Player stands on the top-left cell of a 2 x 2 platform in open water.
  Boot({Harbour, {9, 9}, {{13, 13}}, {{5, 9, 9}}});
  Frames(1, {DIK_UP});
  EXPECT_EQ(Player(), std::make_pair(360, 356));
  EXPECT_EQ(Platform(0), std::make_pair(360, 356));
  Frames(9, {DIK_UP});
  EXPECT_EQ(Player(), At(9, 8));
  EXPECT_EQ(Platform(0), At(9, 8));
  // Onto another cell of the same platform the Player walks alone.
  Frames(10, {DIK_RIGHT});
  EXPECT_EQ(Player(), At(10, 8));
  EXPECT_EQ(Platform(0), At(9, 8));
}

TEST_F(PlayFrames, ABallOnTheStartCellIsTakenInTheFirstFrameAndTwoOnOneCellTogether) {
  Boot({Harbour, {2, 5}, {{2, 5}, {4, 5}, {4, 5}}, {}});
  Frames(1);
  EXPECT_EQ(BallsLeft(PlayState), 2);
  EXPECT_FALSE(PlayState.solved);
  Frames(20, {DIK_RIGHT});
  EXPECT_EQ(BallsLeft(PlayState), 0);
  EXPECT_TRUE(PlayState.solved);
  int crunches = 0;
  for (const auto& s : headless::SoundsStarted()) crunches += s == "crunch.wav";
  EXPECT_EQ(crunches, 3);
  EXPECT_EQ(headless::SoundsStarted().back(), "bifald.wav");
}

TEST_F(PlayFrames, TheBannerAppearsOnlyMoreThanOneSecondAfterTheSolvingFrame) {
  headless::KeepFrames(true);
  Boot({Harbour, {2, 5}, {{3, 5}}, {}});
  Frames(10, {DIK_RIGHT});
  ASSERT_TRUE(PlayState.solved);
  const std::uint32_t solvedAt = SolvedClock;
  // Rows 100..199 hold the banner's top line, and only land and water otherwise.
  auto bannerRows = [] {
    const std::vector<std::uint32_t>& p = headless::LastFrame()->pixels;
    return std::vector<std::uint32_t>(p.begin() + 100 * 560, p.begin() + 200 * 560);
  };
  auto bannerShown = [&bannerRows, board = bannerRows()] { return bannerRows() != board; };
  for (int i = 0; i < 200 && !bannerShown(); ++i) {
    const std::uint32_t inFrame = headless::Now();
    PlayFrame();
    if (bannerShown()) {
      EXPECT_GT(inFrame - solvedAt, 1000u);
    } else {
      EXPECT_LE(inFrame - solvedAt, 1000u);
    }
  }
  EXPECT_TRUE(bannerShown());
  // A restart (of level 2, which the solve made current) clears the solved state: no banner
  // from the next frame on.
  testing_support::WriteLevel("level2.dat", {Harbour, {2, 5}, {{3, 5}}, {}});
  Frames(1, {DIK_R});
  Frames(1);
  EXPECT_FALSE(PlayState.solved);
  EXPECT_FALSE(bannerShown());
}

TEST_F(PlayFrames, SolvingAdvancesTheLevelAndSavesItOnlyWhenItChanges) {
  for (int level : {2, 4, 5}) {
    SCOPED_TRACE(level);
    TearDown();
    SetUp();
    Boot({Harbour, {2, 5}, {{3, 5}}, {}}, level);
    Frames(10, {DIK_RIGHT});
    ASSERT_TRUE(PlayState.solved);
    const std::uint8_t next = std::uint8_t(level < 5 ? level + 1 : 5);
    EXPECT_EQ(CurrentLevel, next);
    Frames(1);
    EXPECT_EQ(testing_support::ReadBytes("data/yelko/Level"), std::vector<std::uint8_t>{next});
    for (int id = 21; id <= 20 + std::min<int>(next, 4); ++id) {
      EXPECT_TRUE(platform::IsMenuItemEnabled(MainWindow, std::uint16_t(id)));
    }
    // Later frames find the value already stored and leave the file alone.
    const auto written = std::filesystem::last_write_time("data/yelko/Level");
    std::filesystem::last_write_time("data/yelko/Level", written - std::chrono::hours(1));
    Frames(5);
    EXPECT_EQ(std::filesystem::last_write_time("data/yelko/Level"),
              written - std::chrono::hours(1));
  }
}

TEST_F(PlayFrames, TheFinishingSoundPlaysOnceMoreThanFourSecondsAfterReachingLevelFive) {
  Boot({Harbour, {2, 5}, {{3, 5}}, {}}, 4);
  Frames(10, {DIK_RIGHT});
  ASSERT_EQ(CurrentLevel, 5);
  const std::uint32_t solvedAt = SolvedClock;
  std::uint32_t playedAt = 0;
  for (int i = 0; i < 400; ++i) {
    const std::uint32_t inFrame = headless::Now();
    const std::size_t before = headless::SoundsStarted().size();
    PlayFrame();
    if (headless::SoundsStarted().size() > before) playedAt = inFrame;
  }
  int finished = 0;
  for (const auto& s : headless::SoundsStarted()) finished += s == "finished.wav";
  EXPECT_EQ(finished, 1);
  EXPECT_GT(playedAt - solvedAt, 4000u);
  EXPECT_LT(playedAt - solvedAt, 4100u);
}

TEST_F(PlayFrames, RIsSeenEvenBetweenBoundariesAndDEntersTheEditor) {
  Boot({Harbour, {1, 5}, {{2, 5}, {13, 13}}, {}});
  Frames(10, {DIK_RIGHT});
  ASSERT_EQ(BallsLeft(PlayState), 1);
  Frames(5, {DIK_RIGHT});
  headless::TapKey(DIK_UP);  // waiting for the next boundary
  Frames(1);
  // Pressed while the Player is between cells: the level starts over at once, and neither the
  // move he was making nor the arrow waiting goes on from the start.
  Frames(1, {DIK_R});
  EXPECT_EQ(BallsLeft(PlayState), 2);
  Frames(10);
  EXPECT_EQ(Player(), At(1, 5));
  // The same level as a puzzle: its restart forgets the arrow as well.
  PlayPuzzle(LevelRecord, "A puzzle");
  Frames(5, {DIK_RIGHT});
  headless::TapKey(DIK_UP);
  Frames(1);
  Frames(1, {DIK_R});
  Frames(10);
  EXPECT_EQ(Player(), At(1, 5));
  Frames(1, {DIK_D});
  EXPECT_EQ(EditorMode, 1);
  EXPECT_EQ(EditorClearPending, 1);
}

// The player's keys file: a key given an action does it, and nothing else; the key it replaces
// no longer does anything. A bad line is said once and left out, and a file that is all
// garbage changes nothing at all.
TEST_F(PlayFrames, TheKeysFileRemapsActionsAndABrokenOneChangesNothing) {
  const auto load = [](const std::string& text) {
#ifndef _WIN32
    ::setenv("XDG_CONFIG_HOME", (std::filesystem::current_path() / "config").c_str(), 1);
#endif
    const std::string dir = platform::UserConfigDirectory();
    platform::MakeDirectories(dir);
    testing_support::WriteBytes(dir + "/keys", {text.begin(), text.end()});
    LoadPlayerSettings();
  };
  load("# mine\r\nright = D, Keypad6, d\r\nup = Sideways\r\n");
  EXPECT_EQ(ActionKeyNames(Action::Right), "D or Keypad 6");  // a key given twice is one key
  Boot({Harbour, {1, 5}, {{13, 13}}, {}});
  Frames(10, {DIK_RIGHT});
  EXPECT_EQ(Player(), At(1, 5));
  Frames(10, {DIK_D});
  EXPECT_EQ(Player(), At(2, 5));
  EXPECT_EQ(EditorMode, 0);  // D was the editor's: now it only walks
  Frames(10, {DIK_UP});      // the bad line left "up" as it was
  EXPECT_EQ(Player(), At(2, 4));
  EXPECT_NE(StatusLine().find("The keys file, line 3: there is no key called "
                              "'Sideways': left out"),
            std::string::npos);

  ResetActionState();
  std::vector<std::string> before;
  for (unsigned a = 0; a < unsigned(Action::Count); ++a)
    before.push_back(ActionKeyNames(Action(a)));
  load(
      std::string("\x7F"
                  "ELF\x02\x01\0\0=\xff\xfe,,\n==\nleft\n",
                  19));
  for (unsigned a = 0; a < unsigned(Action::Count); ++a) {
    EXPECT_EQ(ActionKeyNames(Action(a)), before[a]) << ActionName(Action(a));
  }

  // A switch that cannot be read is said, and never written over.
  const std::string muted = platform::UserDataDirectory() + "/Muted";
  std::filesystem::create_directories(muted);
  LoadPlayerSettings(false);
  ToggleMute();
  EXPECT_TRUE(std::filesystem::is_directory(muted));
  EXPECT_NE(CurrentNotice().find("Your settings cannot be read (Muted"), std::string::npos);
}

TEST_F(PlayFrames, WithoutAKeyboardEveryBoundaryFrameSaysSo) {
  headless::SetFailures({.keyboard = true});
  Boot({Harbour, {1, 5}, {{13, 13}}, {}});
  EXPECT_EQ(headless::BeepCount(), 1);
  Frames(3, {DIK_RIGHT});
  EXPECT_EQ(headless::Messages(), std::vector<std::string>(3, "No keyboard!"));
  EXPECT_EQ(Player(), At(1, 5));
}

}  // namespace
