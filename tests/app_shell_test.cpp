// The shell: start-up and its messages, the loop's one message per turn, the ways out, the
// level menu and the saved progress, and a whole game played through the replay runner.
#include <filesystem>
#include <tuple>

#include "app/assets.h"
#include "app/collections.h"
#include "app/finale.h"
#include "app/level_select.h"
#include "app/notices.h"
#include "app/program_state.h"
#include "app/progress.h"
#include "app/puzzles.h"
#include "app/replay.h"
#include "app/shell.h"
#include "app/status.h"
#include "board/level_code.h"
#include "board/level_text.h"
#include "fuzz/targets.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "input/input.h"
#include "midend/collection.h"
#include "midend/game.h"
#include "midend/puzzle.h"
#include "midend/records.h"
#include "platform/headless/headless.h"
#include "sound/sound.h"
#include "tests/test_levels.h"
#include "tests/test_support.h"

namespace {

using headless::ScriptEvent;
using testing_support::TestLevel;
using Kind = ScriptEvent::Kind;

const std::vector<std::string> Island = {
    "..............", "..............", "..............", "..............",
    "..####........", "..####........", "..####........", "..............",
};

ScriptEvent FramesOf(int n, std::vector<std::uint8_t> keys = {}) {
  ScriptEvent e;
  e.count = n;
  e.keys = std::move(keys);
  return e;
}

ScriptEvent MenuCommand(std::uint16_t id) {
  ScriptEvent e;
  e.kind = Kind::Menu;
  e.command = id;
  return e;
}

class Shell : public testing_support::FreshProgram {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    fuzz::CopyGameFiles();
    for (int level = 1; level <= 5; ++level) {
      testing_support::WriteLevel("level" + std::to_string(level) + ".dat",
                                  {Island, {2, std::int8_t(4 + level % 3)}, {{5, 4}}, {}});
    }
  }

  void StoreProgress(std::uint8_t level) {
    std::filesystem::create_directories("data/yelko");
    testing_support::WriteBytes("data/yelko/Level", {level});
  }

  int Run(std::vector<ScriptEvent> script) {
    std::string error;
    const int code = RunReplay(std::move(script), "", &error);
    EXPECT_EQ(error, "");
    return code;
  }
};

TEST_F(Shell, AFirstStartGivesSoundIdsInOrderAndReportsMissingSheetsOnce) {
  std::filesystem::remove("pieces.bmp");
  std::filesystem::remove("boats.bmp");
  Run({FramesOf(3)});
  EXPECT_EQ(std::tuple(WalkSound, ThumpSound, CrunchSound, BifaldSound, FinishedSound),
            std::tuple(0, 1, 2, 3, 4));
  EXPECT_EQ(headless::SoundsStarted(), std::vector<std::string>{"thump.wav"});
  // Without image sheets the start-up says so, once each, and goes on.
  EXPECT_EQ(headless::Messages(), (std::vector<std::string>{"Ingen pieces", "Ingen boats"}));
  EXPECT_EQ(headless::FramesPresented(), 3);
  // First run, nothing stored: level 1, and only "Level 1" enabled.
  EXPECT_EQ(std::tuple(CurrentLevel, platform::IsMenuItemEnabled(MainWindow, 21),
                       platform::IsMenuItemEnabled(MainWindow, 22)),
            std::tuple(1, true, false));
}

TEST_F(Shell, AMissingSoundFileGivesMinusOneAndTheLaterIdsMoveUp) {
  std::filesystem::remove("walk.wav");
  Run({FramesOf(1)});
  EXPECT_EQ(std::tuple(WalkSound, ThumpSound, FinishedSound), std::tuple(-1, 0, 3));
}

TEST_F(Shell, ABurstOfMessagesIsHandledOnePerLoopTurn) {
  // Three commands queued at once: each costs a turn, and every turn runs a frame.
  Run({MenuCommand(CmdReset), MenuCommand(CmdReset), MenuCommand(CmdAbout)});
  EXPECT_EQ(headless::FramesPresented(), 3);
  EXPECT_EQ(headless::DialogCount(), 1);
}

TEST_F(Shell, EscapeExitAndTheCloseBoxAllEndWithZeroAfterShutdown) {
  ScriptEvent close;
  close.kind = Kind::Close;
  ScriptEvent escape = FramesOf(1);  // a tap of one frame is enough
  escape.escape = true;
  for (const ScriptEvent& way : {escape, MenuCommand(CmdExit), close}) {
    TearDown();
    SetUp();
    EXPECT_EQ(Run({FramesOf(2), way, FramesOf(100)}), 0);
    EXPECT_LT(headless::FramesPresented(), 10);
    // Shutdown gave every sound back and closed the display.
    EXPECT_EQ(headless::LiveSoundBuffers(), 0);
    EXPECT_EQ(platform::FindWindow("WINXCLASS", nullptr) != 0, way.kind == Kind::Frames);
  }
}

TEST_F(Shell, ChoosingALevelLoadsItAndKeepsTheSavedProgress) {
  StoreProgress(4);
  Run({FramesOf(1), MenuCommand(CmdLevelBase + 2), FramesOf(1)});
  EXPECT_EQ(CurrentLevel, 2);
  EXPECT_EQ(PlayState.playerY, 40 * (4 + 2 % 3));
  EXPECT_EQ(testing_support::ReadBytes("data/yelko/Level"), std::vector<std::uint8_t>{4});
}

TEST_F(Shell, AStartLevelNeitherReadsNorWritesTheSavedProgress) {
  StoreProgress(4);
  SetProgressOverride(true, 2);
  testing_support::WriteLevel("level2.dat", {Island, {4, 4}, {{5, 4}}, {}});
  Run({FramesOf(30, {0xCD})});
  EXPECT_EQ(PlayState.solved, 1);
  EXPECT_EQ(CurrentLevel, 3);
  EXPECT_EQ(testing_support::ReadBytes("data/yelko/Level"), std::vector<std::uint8_t>{4});
}

// After a solve File > Next level starts the next level, and is offered again after the next.
TEST_F(Shell, NextLevelFollowsASolve) {
  Run({FramesOf(1), FramesOf(10, {DIK_UP}), FramesOf(30, {DIK_RIGHT}), FramesOf(2),
       MenuCommand(CmdNextLevel), FramesOf(1), FramesOf(20, {DIK_UP}), FramesOf(30, {DIK_RIGHT}),
       FramesOf(2)});
  EXPECT_EQ(std::tuple(LevelInPlay, PlayState.solved, CurrentLevel), std::tuple(2, 1, 3));
  EXPECT_TRUE(platform::IsMenuItemEnabled(MainWindow, CmdNextLevel));
}

// Solving the last level from its start opens the closing screen once, more than four seconds
// on: every level's best, and the menu's offers (when it has them) as buttons beside Close.
TEST_F(Shell, TheLastLevelEndsWithTheClosingScreen) {
  StoreProgress(5);
  Run({FramesOf(1), FramesOf(20, {DIK_UP}), FramesOf(30, {DIK_RIGHT}), FramesOf(230)});
  ASSERT_EQ(PlayState.solved, 1);
  EXPECT_EQ(headless::DialogCount(), 0);
  TearDown();
  SetUp();
  StoreProgress(5);
  Run({FramesOf(1), FramesOf(20, {DIK_UP}), FramesOf(30, {DIK_RIGHT}), FramesOf(300)});
  EXPECT_EQ(headless::DialogCount(), 1);
  const platform::DialogTemplate box = FinaleBox();
  EXPECT_EQ(box.lines[6], "Level 5: 5 moves");
  ASSERT_EQ(box.buttons.size(), 2u);
  EXPECT_EQ(box.buttons.front().text, "New puzzle");
  EXPECT_EQ(box.buttons.front().id, CmdNewPuzzleBase + int(Grade::Hard));
}

// L opens the level select on the level in play: a level not reached yet stays shut, Escape
// closes the screen without ending the game, the arrows and Enter play an enabled level; a
// solve puts its check mark in the Levels menu, which no longer marks the level in play.
TEST_F(Shell, TheLevelSelectPlaysOnlyEnabledLevels) {
  ScriptEvent escape = FramesOf(1);
  escape.escape = true;
  const std::vector<ScriptEvent> open = {FramesOf(1), FramesOf(1, {DIK_L}), FramesOf(1)};
  StoreProgress(2);
  std::vector<ScriptEvent> script = open;
  script.insert(script.end(), {FramesOf(1, {DIK_RIGHT}), FramesOf(1, {DIK_RETURN}), FramesOf(2)});
  Run(script);
  EXPECT_EQ(std::tuple(LevelSelectOpen(), LevelSelectChoice(), LevelInPlay),
            std::tuple(true, 2, 2));
  TearDown();
  SetUp();
  StoreProgress(2);
  script = open;
  script.insert(script.end(), {escape, FramesOf(2)});
  script.insert(script.end(), open.begin() + 1, open.end());
  script.insert(script.end(), {FramesOf(1, {DIK_LEFT}), FramesOf(1, {DIK_RETURN}), FramesOf(2),
                               FramesOf(10, {DIK_UP}), FramesOf(30, {DIK_RIGHT}), FramesOf(2)});
  Run(script);
  EXPECT_EQ(std::tuple(LevelSelectOpen(), LevelInPlay, PlayState.solved, CurrentLevel),
            std::tuple(false, 1, 1, 2));
  EXPECT_EQ(std::tuple(platform::IsMenuItemChecked(MainWindow, CmdLevelBase + 1),
                       platform::IsMenuItemChecked(MainWindow, CmdLevelBase + 2)),
            std::tuple(true, false));
}

// After a collection level's solve N (or File > Next level) plays its next level that can be
// played, past a broken one; after its last the status line says so.
TEST_F(Shell, ACollectionGoesOnLevelByLevel) {
  std::string text = "title Test\n";
  for (const auto& [name, ball] :
       {std::pair{"A", "5 4"}, std::pair{"B", ""}, std::pair{"C", "5 5"}, std::pair{"D", "5 6"}}) {
    text += std::string("level ") + name + "\nmap\n";
    if (ball[0] == '\0') {  // a broken level
      text += "####\n";
      continue;
    }
    for (int row = 0; row < 14; ++row) text += (row < 8 ? Island[row] : "..............") + "\n";
    text += std::string("player 2 5\nball ") + ball + "\n";
  }
  testing_support::WriteBytes("test.txt", std::vector<std::uint8_t>(text.begin(), text.end()));
  SetStartCollection("test.txt", 0);
  Run({FramesOf(1), FramesOf(10, {DIK_UP}), FramesOf(30, {DIK_RIGHT}), FramesOf(2),
       FramesOf(1, {DIK_N}), FramesOf(1), FramesOf(30, {DIK_RIGHT}), FramesOf(2),
       MenuCommand(CmdNextLevel), FramesOf(1), FramesOf(10, {DIK_DOWN}), FramesOf(30, {DIK_RIGHT}),
       FramesOf(2)});
  EXPECT_EQ(std::tuple(CollectionPlace, PlayState.solved), std::tuple(3, 1));
  EXPECT_EQ(StatusLine(),
            "Solved in 4 moves: a new best! \xC2\xB7 the last level of Test        R play again "
            "\xC2\xB7 L level select");
  EXPECT_FALSE(platform::IsMenuItemEnabled(MainWindow, CmdNextLevel));
}

// A puzzle plays beside the five levels: solved, it keeps its best by its content and moves
// neither the level to play nor the saved progress; R plays it again.
TEST_F(Shell, APuzzleNeverMovesTheLevelsProgress) {
  StoreProgress(2);
  const std::vector<std::uint8_t> bytes =
      testing_support::LevelBytes({Island, {4, 4}, {{5, 4}}, {}});
  SetStartPuzzle(LevelCode(bytes.data()), true);
  Run({FramesOf(1), FramesOf(10, {DIK_RIGHT}), FramesOf(2), MenuCommand(CmdReset), FramesOf(1)});
  EXPECT_EQ(std::tuple(LevelInPlay, PlayState.solved, PlayState.playerX, CurrentLevel),
            std::tuple(PuzzleLevel, 0, 160, 2));
  EXPECT_EQ(BestOf(LevelInPlayKey), 1);
  EXPECT_FALSE(platform::IsMenuItemEnabled(MainWindow, CmdNextLevel));
  EXPECT_EQ(testing_support::ReadBytes("data/yelko/Level"), std::vector<std::uint8_t>{2});
}

// Ctrl+V plays a code from the clipboard, Ctrl+C puts it back; a position with no solution left
// is said until View > Warn when stuck turns the warning off; what is no code is refused.
TEST_F(Shell, PastedCodesPlayAndAStuckPositionIsSaid) {
  const std::vector<std::uint8_t> lost =
      testing_support::LevelBytes({Island, {2, 4}, {{10, 10}}, {}});
  const std::string code = LevelCode(lost.data());
  platform::SetClipboardText(code);
  Run({FramesOf(1), MenuCommand(CmdPasteCode), FramesOf(3)});
  EXPECT_EQ(CodeInPlay(), code);
  EXPECT_NE(StatusLine().find("Stuck: no solution from here \xC2\xB7 Z to undo"),
            std::string::npos);
  TearDown();
  SetUp();
  platform::SetClipboardText(" " + code + "\n");
  Run({FramesOf(1), MenuCommand(CmdPasteCode), MenuCommand(CmdWarnStuck), MenuCommand(CmdCopyCode),
       FramesOf(3)});
  EXPECT_EQ(StatusLine().find("Stuck"), std::string::npos);
  EXPECT_EQ(platform::ClipboardText(), code);
  TearDown();
  SetUp();
  std::string typo = code;
  typo[2] = typo[2] == 'A' ? 'B' : 'A';
  platform::SetClipboardText(typo);
  Run({FramesOf(1), MenuCommand(CmdLevelBase + 1), MenuCommand(CmdPasteCode), FramesOf(1)});
  EXPECT_EQ(LevelInPlay, 1);
  EXPECT_NE(StatusLine().find("is mistyped"), std::string::npos) << StatusLine();
}

// A collection in the game's folder is listed under File > Open collection; its broken level
// is said and skipped, its others play as puzzles do, leaving the levels' progress alone.
TEST_F(Shell, ACollectionPlaysItsGoodLevels) {
  StoreProgress(2);
  const std::vector<std::uint8_t> one = testing_support::LevelBytes({Island, {4, 4}, {{5, 4}}, {}});
  const std::vector<std::uint8_t> three =
      testing_support::LevelBytes({Island, {3, 5}, {{5, 6}}, {}});
  std::filesystem::create_directories("collections");
  const std::string text =
      "title Tiny # three levels\nlevel One\n" + DecompileLevelBytes(one.data(), one.size()) +
      "level Broken\nmap\nlevel Three\n" + DecompileLevelBytes(three.data(), three.size());
  testing_support::WriteBytes("collections/tiny.txt",
                              std::vector<std::uint8_t>(text.begin(), text.end()));
  Run({FramesOf(1), MenuCommand(CmdFoundCollectionBase), FramesOf(10, {DIK_RIGHT}), FramesOf(2)});
  EXPECT_EQ(std::tuple(OpenedCollection.title, CollectionPlace, PlayState.solved),
            std::tuple("Tiny", 0, 1));
  EXPECT_EQ(BestOf(LevelInPlayKey), 1);
  EXPECT_NE(CurrentNotice().find("tiny.txt:"), std::string::npos) << CurrentNotice();
  EXPECT_FALSE(PlayCollectionAt(1));
  EXPECT_TRUE(PlayNextCollectionLevel());
  EXPECT_EQ(std::tuple(CollectionPlace, PuzzleTitle), std::tuple(2, "Tiny 3: Three"));
  EXPECT_EQ(testing_support::ReadBytes("data/yelko/Level"), std::vector<std::uint8_t>{2});
}

TEST_F(Shell, MouseButtonsSetTheirLatchWithSignedClientCoordinates) {
  testing_support::BootGame();
  WindowProc(MainWindow, platform::WM_LBUTTONDOWN, 0, platform::PackPoint(-5, 300));
  EXPECT_EQ(std::tuple(LeftClickPending, ClickX, ClickY), std::tuple(1, -5, 300));
  WindowProc(MainWindow, platform::WM_RBUTTONDBLCLK, 0, platform::PackPoint(7, 8));
  EXPECT_EQ(std::tuple(RightClickPending, ClickX, ClickY), std::tuple(1, 7, 8));
}

TEST(ReplayScript, MalformedLinesAreNamedByNumber) {
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"frames\n", "line 1: "},
      {"# ok\nframes 10 JUMP\n", "line 2: unknown key 'JUMP'"},
      {"frames -1\n", "line 1: "},
      {"frames 3x\n", "line 1: "},
      {"click middle 1 2\n", "line 1: "},
      {"click left 1\n", "line 1: "},
      {"menu\n", "line 1: "},
      {"menu 70000\n", "line 1: "},
      {"\n\nwalk 3\n", "line 3: unknown command 'walk'"},
  };
  for (const auto& [text, start] : bad) {
    std::vector<ScriptEvent> script;
    std::string error;
    EXPECT_FALSE(ParseReplayScript(text, &script, &error)) << text;
    EXPECT_EQ(error.rfind(start, 0), 0u) << error;
  }
  std::vector<ScriptEvent> script;
  std::string error;
  ASSERT_TRUE(ParseReplayScript(
      "  frames 2 LEFT ESCAPE\nclick right -3 4\nmenu 22\ntext a b\ntext\nclipboard x\\ny\r\n",
      &script, &error));
  ASSERT_EQ(script.size(), 6u);
  EXPECT_EQ(std::tuple(script[0].count, script[0].escape, script[1].x, script[1].right,
                       script[2].command),
            std::tuple(2, true, -3, true, 22));
  EXPECT_EQ(std::tuple(script[3].text, script[4].text, script[5].text),
            std::tuple(std::optional<std::string>("a b"), std::nullopt,
                       std::optional<std::string>("x\ny")));
}

// Text boxes answer from the queue in order, each answer one line; none queued: no box.
TEST(AppShell, TextBoxesAndClipboard) {
  headless::Reset();
  headless::QueueTextAnswers({" \xC3\xA9" + std::string(500, 'A') + "\r\n", std::nullopt});
  std::string text = "kept";
  EXPECT_TRUE(platform::AskForText(0, "Code", "Type the code:", &text));
  EXPECT_EQ(text, " \xC3\xA9" + std::string(398, 'A'));
  EXPECT_FALSE(platform::AskForText(0, "Code", "Again:", &text));
  EXPECT_FALSE(platform::AskForText(0, "Code", "None queued:", &text));
  EXPECT_EQ(headless::TextPrompts(), (std::vector<std::string>{"Type the code:", "Again:"}));
  EXPECT_EQ(platform::ClipboardText(), "");
  EXPECT_TRUE(platform::SetClipboardText("Yabc"));
  EXPECT_EQ(platform::ClipboardText(), "Yabc");
}

}  // namespace
