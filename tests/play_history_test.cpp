// Undo, redo, the move counter, par and best, hints and the level menu, played through the
// replay runner and through real frames on the shipped levels; and the positions undo keeps.
#include <filesystem>
#include <string>
#include <vector>

#include "app/play_frame.h"
#include "app/program_state.h"
#include "app/progress.h"
#include "app/replay.h"
#include "app/rest.h"
#include "app/shell.h"
#include "app/status.h"
#include "board/level_record.h"
#include "editor/editor.h"
#include "fuzz/targets.h"
#include "gfx/display.h"
#include "input/input.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/puzzle.h"
#include "midend/question.h"
#include "midend/records.h"
#include "midend/search.h"
#include "midend/solver.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "play/rules.h"
#include "tests/test_levels.h"
#include "tests/test_support.h"

namespace {

// One field of the replay runner's JSON, as written.
std::string Field(const std::string& json, const std::string& name) {
  const std::size_t at = json.find("\"" + name + "\":");
  if (at == std::string::npos) return "";
  std::size_t end = at + name.size() + 3;
  for (int depth = 0; end < json.size(); ++end) {
    const char c = json[end];
    if (c == '[') ++depth;
    if (c == ']') --depth;
    if (depth == 0 && (c == ',' || c == '}')) break;
  }
  return json.substr(at, end - at);
}

class History : public testing_support::FreshProgram {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    fuzz::CopyGameFiles();
  }
  // Runs a replay of level `level` in a fresh game (or, for -1, a player's run, the progress
  // read and written); the JSON it ends with.
  static std::string Replay(int level, const std::string& script) {
    ResetProgramState();
    if (level >= 0) SetProgressOverride(true, std::uint8_t(level));
    std::vector<headless::ScriptEvent> events;
    std::string error;
    EXPECT_TRUE(ParseReplayScript(script, &events, &error)) << error;
    return ReplayReportJson(RunReplay(std::move(events), "", &error));
  }
  // What undo must give back exactly: the Player, platforms, balls, solved and the counter.
  static std::string State(int level, const std::string& script) {
    const std::string json = Replay(level, script);
    return Field(json, "player") + Field(json, "platforms") + Field(json, "balls_left") +
           Field(json, "solved") + Field(json, "moves");
  }
  static std::string Press(const char* key) {
    return std::string("frames 1 ") + key + "\nframes 1\n";
  }

  // Frames of the game booted on a shipped level.
  static void Boot(int level) {
    ResetProgramState();
    SetProgressOverride(true, std::uint8_t(level));
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
};

// A walk, a carry, a collected ball and a restart are each undone to the position before them;
// redo brings the step back; a new move ends redo; undo at the start or after a solve does
// nothing.
TEST_F(History, UndoGivesBackExactlyThePositionBeforeEachStep) {
  const SolveResult solution = SolveLevelFile("level3.dat");  // two balls, carries
  const std::string& m = solution.moves;
  std::size_t walk = 0, carry = 0, ball = 0;
  for (std::size_t k = 1; k <= m.size(); ++k) {
    if (!walk && !solution.carried[k - 1]) walk = k;
    if (!carry && solution.carried[k - 1]) carry = k;
    if (!ball &&
        Field(Replay(3, SolutionScript(m.substr(0, k))), "balls_left") != "\"balls_left\":2") {
      ball = k;
    }
  }
  ASSERT_TRUE(walk && carry && ball && ball < m.size());
  const std::string start = SolutionScript("");
  for (std::size_t k : {walk, carry, ball}) {
    SCOPED_TRACE(k);
    const std::string before = SolutionScript(m.substr(0, k - 1));
    const std::string after = SolutionScript(m.substr(0, k));
    EXPECT_EQ(State(3, after + Press("Z")), State(3, before));
    EXPECT_EQ(State(3, after + Press("Z") + Press("Y")), State(3, after));
  }
  const std::string five = SolutionScript(m.substr(0, 5));
  EXPECT_EQ(State(3, five + Press("R") + Press("BACKSPACE")), State(3, five));
  EXPECT_NE(Field(Replay(3, five + Press("R")), "moves"), Field(Replay(3, five), "moves"));
  const std::string back = five + Press("U") + SolutionScript(m[3] == 'L' ? "R" : "L");
  EXPECT_EQ(State(3, back + Press("Y")), State(3, back));
  EXPECT_EQ(State(3, start + Press("Z")), State(3, start));
  const std::string solved = SolutionScript(m) + "frames 2\n";
  EXPECT_EQ(Field(Replay(3, solved + Press("Z")), "solved"), "\"solved\":1");
  EXPECT_EQ(State(3, solved + Press("Z")), State(3, solved));
}

// A hint that takes longer than a frame to find: the frames go on meanwhile (the game does not
// sleep on it), the status line says so, and a move made meanwhile drops the question.
TEST_F(History, AHintIsSearchedBesideTheFramesAndAMoveDropsIt) {
  Boot(5);
  const int frames = headless::FramesPresented();
  Frames(1, {DIK_H});
  Frames(2);
  EXPECT_EQ(headless::FramesPresented(), frames + 3);
  EXPECT_EQ(Hint, HintKind::Thinking);
  EXPECT_NE(platform::StatusText().find("Thinking\xE2\x80\xA6"), std::string::npos);
  EXPECT_EQ(RestAfterFrame(), 0u);
  Frames(1, {DIK_DOWN});
  EXPECT_EQ(std::pair(Hint, Asking()), std::pair(HintKind::None, QuestionKind::None));
}

// The stuck watch searches from every position the Player stops at: pressed while it searches
// (here without a thread for the hint), the hint waits for its answer; pressed once it has
// answered (and made the level's tables), the hint is there in that frame; with the watch off
// the hint searches for itself.
TEST_F(History, AHintTakesTheStuckWatchsAnswer) {
  const std::int32_t first = MoveDirection(SolveLevelFile("level5.dat").moves[0]);
  Boot(5);
  Frames(1, {DIK_H});
  EXPECT_EQ(std::pair(Hint, Asking()), std::pair(HintKind::Thinking, QuestionKind::None));
  for (int f = 0; f < 600 && Hint == HintKind::Thinking; ++f) Frames(1);
  EXPECT_EQ(std::pair(Hint, HintDirection), std::pair(HintKind::Move, first));
  Boot(5);
  Frames(1, {DIK_H});
  WarnWhenStuck = false;  // the watch stops: the hint asks for itself
  Frames(1);
  EXPECT_EQ(std::pair(Hint, Asking()), std::pair(HintKind::Thinking, QuestionKind::Hint));
  for (const bool watch : {true, false}) {
    Boot(5);
    WarnWhenStuck = watch;
    for (int f = 0; f < 600 && StuckQuestionOpen(); ++f) Frames(1);
    if (watch) {  // meanwhile it made the level's tables with their games of two, for any search
      SearchOptions pairs;
      pairs.platformPairs = true;
      Search search;
      search.Start(PlayLevel, PlayState, pairs);
      search.Run(1);
      EXPECT_EQ(search.result().expanded, 1u);
    }
    Frames(1, {DIK_H});
    EXPECT_EQ(Hint, watch ? HintKind::Move : HintKind::Thinking);
    EXPECT_EQ(Asking(), watch ? QuestionKind::None : QuestionKind::Hint);
  }
}

// The watch asks again for another level from the very same position (a level edited and played
// again, a code pasted): the ball out of reach there, then on the island.
TEST_F(History, TheStuckWatchAsksAgainForAnotherLevel) {
  const std::vector<std::string> island = {"..............", "..####........", "..####........"};
  Level lost, near;
  const std::vector<std::uint8_t> lostBytes =
      testing_support::LevelBytes({island, {2, 1}, {{10, 10}}, {}});
  const std::vector<std::uint8_t> nearBytes =
      testing_support::LevelBytes({island, {2, 1}, {{5, 2}}, {}});
  ASSERT_EQ(SetUpLevel(lostBytes.data(), &lost) | SetUpLevel(nearBytes.data(), &near), 0);
  ResetProgramState();
  for (const Level* level : {&lost, &near}) {
    const GameState start = StartState(*level);
    for (int f = 0; f < 100 && (f == 0 || StuckQuestionOpen()); ++f) WatchForStuck(*level, start);
    EXPECT_EQ(Stuck(), level == &lost);
  }
}

// Following the hint on every move solves each shipped level in exactly par moves.
TEST_F(History, FollowingTheHintSolvesEveryLevelInPar) {
  const int pars[] = {8, 24, 30, 51, 66};
  for (int level = 1; level <= 5; ++level) {
    SCOPED_TRACE(level);
    Boot(level);
    while (!PlayState.solved && MoveCount <= pars[level - 1]) {
      Frames(1, {DIK_H});
      for (int f = 0; f < 600 && Hint == HintKind::Thinking; ++f) Frames(1);
      ASSERT_EQ(Hint, HintKind::Move);
      const std::uint8_t keys[] = {0, DIK_LEFT, DIK_UP, DIK_RIGHT, DIK_DOWN};
      Frames(10, {keys[HintDirection]});
    }
    Frames(1);
    EXPECT_EQ(PlayState.solved, 1);
    EXPECT_EQ(MoveCount, pars[level - 1]);
    // What to press next: the next level, or after the last one the same again.
    EXPECT_EQ(platform::StatusText(),
              "Solved in " + std::to_string(pars[level - 1]) + " moves: a new best!        R " +
                  (level < 5 ? "next level" : "play again") + " \xC2\xB7 L level select");
  }
  // Two islands and no platform: no solution, and the status line says what to do.
  ResetProgramState();
  testing_support::WriteLevel("level.dat", {{"##.#"}, {0, 0}, {{3, 0}}, {}});
  Boot(0);
  Frames(1, {DIK_H});
  Frames(1);
  EXPECT_EQ(Hint, HintKind::NoSolution);
  EXPECT_NE(platform::StatusText().find("No solution from here: Z to undo"), std::string::npos);
}

// Shift+H (or File > Show solution) plays a shortest solution at game speed, its moves the
// attempt's own (undo takes them back); any key stops it; a solve it helped earns no best. The
// replay's JSON tells the best, par, hint and levels.
TEST_F(History, ShowSolutionPlaysAShortestSolutionThatEarnsNoBest) {
  const auto fields = [](const std::string& json, std::initializer_list<const char*> names) {
    std::string out;
    for (const char* name : names) out += Field(json, name) + " ";
    return out;
  };
  const std::string show = "frames 1\nframes 1 LEFTSHIFT H\n";
  EXPECT_EQ(fields(Replay(1, show + "frames 82\n"), {"solved", "moves", "best", "status"}),
            "\"solved\":1 \"moves\":8 \"best\":null \"status\":\"Solved in 8 moves (not counted: "
            "the solution was shown)        R next level \xC2\xB7 L level select\" ");
  // The menu, and a quick Shift+H whose Shift is let go before the frame that sees H, do the same.
  for (const char* start : {"frames 1\nmenu 68\n", "frames 1 LEFTSHIFT\nframes 1 H\n"}) {
    EXPECT_EQ(Field(Replay(1, std::string(start) + "frames 82\n"), "solved"), "\"solved\":1");
  }
  const std::string stopped = show + "frames 30\nframes 1 Q\nframes 60\n";
  EXPECT_EQ(fields(Replay(1, stopped), {"solved", "moves"}), "\"solved\":0 \"moves\":4 ");
  EXPECT_EQ(Field(Replay(1, stopped + Press("Z")), "moves"), "\"moves\":3");
  // Played by the player, the same solve is a best; a hint is its move's letter.
  EXPECT_EQ(fields(Replay(1, SolutionScript("RRRRRRDR") + "frames 1\n"),
                   {"best", "par", "hint", "levels_enabled", "levels_solved"}),
            "\"best\":8 \"par\":8 \"hint\":null \"levels_enabled\":[1,2] \"levels_solved\":[1] ");
  EXPECT_EQ(Field(Replay(1, Press("H")), "hint"), "\"hint\":\"R\"");
}

// The level's name, from the build's par.txt, heads the status line and the caption; a narrow
// window gets the line without what the keys do first, and always one with the moves.
TEST_F(History, TheStatusLineNamesTheLevelAndShortensTheKeysFirst) {
  Boot(1);
  Frames(1);
  const std::vector<std::string> lines = StatusLines();
  const std::string head = "Level 1 \xC2\xB7 First crossing   Moves 0   Best -   Par 8";
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0],
            head + "        Z undo \xC2\xB7 R restart \xC2\xB7 H hint \xC2\xB7 N new puzzle");
  EXPECT_EQ(lines[2], head);
  EXPECT_EQ(lines.back(), "Moves 0");
  EXPECT_EQ(WindowCaption(), "Yelko - Level 1: First crossing");
}

// Par comes from par.txt by the level's bytes, or from a search for one it does not name; the
// best survives a new run; a damaged or unwritable record file neither crashes the game nor
// costs the saved progress, and a damaged one is replaced at the next solve.
TEST_F(History, ParAndBestBelongToTheLevelsBytesAndSurviveBadFiles) {
  const std::string solve1 = SolutionScript(SolveLevelFile("level1.dat").moves) + "frames 2\n";
  testing_support::WriteBytes("par.txt", {'#', '\n'});  // the par is searched for instead
  EXPECT_NE(Field(Replay(1, "frames 2\n"), "status").find("Moves 0   Best -   Par 8"),
            std::string::npos);
  const std::string data = std::getenv("XDG_DATA_HOME") + std::string("/yelko");
  std::filesystem::create_directories(data + "/Best");  // unreadable: a directory
  std::string json = Replay(-1, solve1);
  EXPECT_EQ(Field(json, "progress"), "\"progress\":2");
  EXPECT_NE(json.find("\"status\":\"Solved in 8 moves: a new best!        R next level \xC2\xB7 L "
                      "level select        "
                      "Your records cannot be read (Best: it is a folder, not a file); new ones "
                      "are not saved\""),
            std::string::npos);

  std::filesystem::remove(data + "/Best");
  testing_support::WriteBytes(data + "/Best", {'j', 'u', 'n', 'k'});
  testing_support::WriteBytes(data + "/Level", {1});
  EXPECT_EQ(Field(Replay(-1, solve1), "progress"), "\"progress\":2");
  ResetProgramState();
  PlayRecord(testing_support::ReadBytes("level1.dat").data(), 1);
  EXPECT_EQ(BestOf(LevelInPlayKey), 8);  // the damaged file was replaced
  SolveEarned = 1;
  RecordSolve(9);  // worse: the best stands
  EXPECT_FALSE(LastSolve.newBest);
  RecordSolve(7);  // better: a new best, kept for the next run
  ResetRecordsState();
  EXPECT_EQ(BestOf(LevelInPlayKey), 7);
}

// Level 5 is in the menu; a new run enables every level reached before, even after a lower
// level was solved since (the level to resume then follows that solve).
TEST_F(History, TheMenuKeepsEveryLevelReachedAcrossRuns) {
  const std::uint8_t four = 4;
  ASSERT_TRUE(platform::WriteUserValue("Level", &four, 1));
  std::string script = SolutionScript(SolveLevelFile("level4.dat").moves) + "frames 2\n";
  script += "menu 21\n" + SolutionScript(SolveLevelFile("level1.dat").moves) + "frames 2\n";
  EXPECT_EQ(Field(Replay(-1, script), "progress"), "\"progress\":2");
  ResetProgramState();
  testing_support::BootGame();
  EXPECT_EQ(CurrentLevel, 2);
  for (std::uint16_t id = 21; id <= 25; ++id)
    EXPECT_TRUE(platform::IsMenuItemEnabled(MainWindow, id)) << id;
  // The solved levels are checked, not the one to resume.
  EXPECT_EQ(std::tuple(platform::IsMenuItemChecked(MainWindow, 21),
                       platform::IsMenuItemChecked(MainWindow, 22),
                       platform::IsMenuItemChecked(MainWindow, 24)),
            std::tuple(true, false, true));
  const std::uint8_t damaged = 200;  // no solve stores this: ignored
  ASSERT_TRUE(platform::WriteUserValue("Reached", &damaged, 1));
  ResetProgramState();
  testing_support::BootGame();
  EXPECT_TRUE(platform::IsMenuItemEnabled(MainWindow, 22));
  EXPECT_FALSE(platform::IsMenuItemEnabled(MainWindow, 23));
}

}  // namespace

// A save that fails is said once on the status line and the old value stands; nothing is
// retried in every frame, and a later save that succeeds ends the notice. A board changed in
// the editor earns no record and no progress.
TEST_F(History, FailedSavesAreSaidAndOnlyEarnedSolvesCount) {
  const std::string data = std::getenv("XDG_DATA_HOME") + std::string("/yelko");
  const std::string moves = SolveLevelFile("level1.dat").moves;
  const auto play = [](const std::string& m) {
    for (char move : m) {
      Frames(10, {std::uint8_t(move == 'L'   ? DIK_LEFT
                               : move == 'U' ? DIK_UP
                               : move == 'R' ? DIK_RIGHT
                                             : DIK_DOWN)});
    }
  };
  ResetProgramState();
  testing_support::BootGame();
  Frames(1);
  play(moves.substr(0, moves.size() - 1));
  platform::FailNextFileOp(platform::FaultOp::Write,
                           platform::FileFault::DiskFull);  // the record, written at the solve
  play(moves.substr(moves.size() - 1));
  Frames(30);
  EXPECT_EQ(platform::StatusText(),
            "Solved in 8 moves: a new best!        R next level \xC2\xB7 L level select        "
            "Could not save your "
            "records: the disk is full");
  EXPECT_FALSE(std::filesystem::exists(data + "/Best"));
  EXPECT_EQ(testing_support::ReadBytes(data + "/Level"), std::vector<std::uint8_t>{2});

  // Level 1 solved in the editor's way: a Player placed beside a ball on an edited board.
  CurrentLevel = 1;
  ResetLevel();
  Frames(1, {DIK_D});
  const auto click = [](int x, int y) {
    ClickX = x, ClickY = y, RightClickPending = 1;
    EditorFrame();
  };
  click(100, 180);  // the Player at (2, 4), on land
  click(140, 180);  // a ball at (3, 4)
  click(140, 180);
  headless::HoldVirtualKey(platform::VK_RETURN, true);
  EditorFrame();
  headless::HoldVirtualKey(platform::VK_RETURN, false);
  play("R");
  Frames(2);
  EXPECT_EQ(platform::StatusText().substr(0, 64),
            "Solved in 1 move (not counted: the board was changed in the edit");
  EXPECT_EQ(std::pair(CurrentLevel, BestOf(LevelInPlayKey)), std::pair(std::uint8_t(1), 8));
  EXPECT_EQ(testing_support::ReadBytes(data + "/Level"), std::vector<std::uint8_t>{2});

  // The next new best (level 2) is saved, and with it the one the full disk kept out.
  CurrentLevel = 2;
  ResetLevel();
  Frames(1);
  play(SolveLevelFile("level2.dat").moves);
  Frames(2);
  EXPECT_EQ(platform::StatusText(),
            "Solved in 24 moves: a new best!        R next level \xC2\xB7 L level select");
  ResetRecordsState();
  EXPECT_EQ(BestOf(LevelInPlayKey), 24);
  EXPECT_EQ(BestOf(LevelKey(testing_support::ReadBytes("level1.dat").data())), 8);
}

// The records file stays within what its reader takes, dropping the least recently solved.
TEST(Records, BestKeepsTheMostRecentlySolvedWithinItsBound) {
  std::string text;
  for (std::uint64_t key = 0; key < MaxBestRecords; ++key)
    text += MoveRecordLine(~key, 1'000'000'000);
  ASSERT_TRUE(MergeBest(&text, ~std::uint64_t(MaxBestRecords), 1'000'000'000));
  EXPECT_LE(text.size(), MaxRecordsFile);
  const MoveRecordList records = ReadMoveRecords(text);
  EXPECT_EQ(records.size(), MaxBestRecords);
  EXPECT_EQ(records.front().first, ~std::uint64_t(1));
  EXPECT_FALSE(MergeBest(&text, ~std::uint64_t(5), 1'000'000'000));  // no better: no change
  EXPECT_TRUE(MergeBest(&text, ~std::uint64_t(5), 7));
  EXPECT_EQ(ReadMoveRecords(text).back(), std::pair(~std::uint64_t(5), 7));
  EXPECT_EQ(ReadMoveRecords(text).size(), MaxBestRecords);
}
