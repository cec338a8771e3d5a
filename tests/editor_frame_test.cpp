// The level editor, driven frame by frame as the main loop drives it.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/program_state.h"
#include "app/shell.h"
#include "editor/editor.h"
#include "gfx/sprites.h"
#include "input/input.h"
#include "midend/game.h"
#include "platform/headless/headless.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Byte offsets of the record, spelled out because these tests write and read raw records.
constexpr int PlayerStartByte = 196;
constexpr int BallListByte = 198;
constexpr int PlatformListByte = 208;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

// All water, no Player start, no balls, no platforms: what a clear leaves.
Bytes EmptyLevel() {
  Bytes b(LevelRecordSize, 0);
  std::fill(b.begin(), b.begin() + PlayerStartByte, CellWater);
  std::fill(b.begin() + PlayerStartByte, b.begin() + 224, ListEnd);
  return b;
}

Bytes Record() {
  return Bytes(LevelRecord, LevelRecord + LevelRecordSize);
}

struct Grids {
  std::vector<std::int32_t> board, objects;
  bool operator==(const Grids&) const = default;
};
Grids Snapshot() {
  return {{&EditorTerrain[0][0], &EditorTerrain[0][0] + BoardCells * BoardCells},
          {&EditorGrid[0][0], &EditorGrid[0][0] + BoardCells * BoardCells}};
}

class Editor : public testing_support::FreshProgram {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    InputInit();
    KeyboardInit();
  }
  static void Frame(Bytes keys = {}) {
    headless::HoldKeys(std::move(keys));
    EditorFrame();
  }
  static void Enter() {
    EditorMode = EditorClearPending = 1;
    Frame();
  }
  static void Click(bool right, int x, int y) {
    (right ? RightClickPending : LeftClickPending) = 1;
    ClickX = x;
    ClickY = y;
    Frame();
  }
  static void Paint(int c, int r) { Click(false, c * 40 + 20, r * 40 + 20); }
  // One click places the Player, two a ball, 3 + t a platform of type t.
  static void Place(int c, int r, int clicks) {
    for (int i = 0; i < clicks; ++i) Click(true, c * 40 + 39, r * 40);
  }
  static void Save() { Frame({DIK_S}); }
  static void Load() { Frame({DIK_L}); }
};

TEST_F(Editor, SavingRightAfterEnteringStoresAnEmptyBoardAndThePlayersCellFromPlay) {
  Bytes old(LevelRecordSize);
  for (int i = 0; i < LevelRecordSize; ++i) old[i] = std::uint8_t(i * 7 + 1);
  std::memcpy(LevelRecord, old.data(), LevelRecordSize);
  for (auto& column : EditorTerrain) std::fill(std::begin(column), std::end(column), CellLand);
  EditorGrid[4][4] = EditorBall;
  PlayState.playerX = 3 * 40 + 12;  // in the middle of a move in play
  PlayState.playerY = 5 * 40;

  Enter();
  EXPECT_FALSE(std::filesystem::exists("level.dat"));
  Save();
  Bytes expected = EmptyLevel();
  expected[196] = 3;
  expected[197] = 5;
  std::copy(old.begin() + 224, old.end(), expected.begin() + 224);  // not the editor's bytes
  EXPECT_EQ(ReadBytes("level.dat"), expected);
  EXPECT_EQ(Record(), expected);
}

TEST_F(Editor, RightClicksCycleTheObjectsAndLeftClicksToggleTheTerrain) {
  Enter();
  std::vector<std::int32_t> seen;
  for (int i = 0; i < 12; ++i) {
    Place(2, 3, 1);
    seen.push_back(EditorGrid[2][3]);
  }
  EXPECT_EQ(seen, (std::vector<std::int32_t>{16, 17, 20, 21, 22, 23, 24, 25, 26, 27, 28, 15}));
  EditorGrid[0][0] = 18;  // no click makes it, so none moves it on
  Place(0, 0, 1);
  EXPECT_EQ(EditorGrid[0][0], 18);

  Paint(5, 6);
  EXPECT_EQ(EditorTerrain[5][6], CellLand);
  Paint(5, 6);
  EXPECT_EQ(EditorTerrain[5][6], CellWater);
  for (std::int32_t other : {CellPlatform, 0, -7, 77}) {
    EditorTerrain[7][7] = other;
    Paint(7, 7);
    EXPECT_EQ(EditorTerrain[7][7], CellWater) << other;
  }
}

TEST_F(Editor, AClickHitsTheCellUnderItAndOneOffTheBoardChangesNothing) {
  Enter();
  Click(false, 0, 39);
  Click(false, 559, 559);
  Click(false, 40, 0);
  EXPECT_EQ(std::tuple(EditorTerrain[0][0], EditorTerrain[0][1], EditorTerrain[13][13],
                       EditorTerrain[1][0]),
            std::tuple(CellLand, CellWater, CellLand, CellLand));

  const Grids before = Snapshot();
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {560, 0}, {0, 560}, {-40, 300}, {32767, -32768}}) {
    for (bool right : {false, true}) {
      Click(right, x, y);
      EXPECT_EQ(LeftClickPending + RightClickPending, 0) << x << "," << y;
    }
  }
  EXPECT_TRUE(Snapshot() == before);
}

TEST_F(Editor, EveryHandledClickHoldsTheProgram150Ms) {
  Enter();
  std::uint32_t t0 = headless::Now();
  Frame();
  EXPECT_LT(headless::Now() - t0, 150u);  // only the display tick

  LeftClickPending = RightClickPending = 1;
  ClickX = ClickY = 100;
  t0 = headless::Now();
  Frame();
  EXPECT_GE(headless::Now() - t0, 300u);

  ClickX = -5;  // off the board: changes nothing, but is paced like any click
  LeftClickPending = 1;
  t0 = headless::Now();
  Frame();
  EXPECT_GE(headless::Now() - t0, 150u);
}

TEST_F(Editor, RemovingOneOfThreeLoadedBallsSavesTwo) {
  Bytes level = EmptyLevel();
  const Bytes balls = {2, 2, 3, 3, 4, 4, 255};
  std::copy(balls.begin(), balls.end(), level.begin() + BallListByte);
  level[208] = 0;  // a platform, so that a too long ball list would show
  level[209] = 8;
  level[210] = 8;
  level[211] = 255;
  WriteBytes("level.dat", level);

  Enter();
  Load();
  Place(3, 3, 10);  // ball, the nine platforms, empty
  Save();
  const Bytes saved = ReadBytes("level.dat");
  EXPECT_EQ(Bytes(saved.begin() + BallListByte, saved.begin() + BallListByte + 5),
            (Bytes{2, 2, 4, 4, 255}));
  EXPECT_EQ(Bytes(saved.begin() + 208, saved.begin() + 212), (Bytes{0, 8, 8, 255}));
}

TEST_F(Editor, HoldingLReloadsOnEveryFrameAndKeepsObjectsOnOtherCells) {
  Bytes level = EmptyLevel();
  level[0] = 1;  // cell (0, 0) is land
  level[196] = 5;
  level[197] = 5;
  WriteBytes("level.dat", level);

  Enter();
  Place(9, 9, 2);  // a ball the file does not name
  LeftClickPending = RightClickPending = 1;
  ClickX = ClickY = 0;
  Frame({DIK_L});  // load, then both clicks on cell (0, 0)
  EXPECT_EQ(std::pair(EditorTerrain[0][0], EditorGrid[0][0]), std::pair(CellWater, EditorPlayer));
  Place(5, 5, 1);  // the Player becomes a ball
  Frame({DIK_L});
  // The Player on (0, 0) and the ball on (9, 9) are not named by the file: kept.
  EXPECT_EQ(std::tuple(EditorTerrain[0][0], EditorGrid[5][5], EditorGrid[0][0], EditorGrid[9][9]),
            std::tuple(CellLand, EditorPlayer, EditorPlayer, EditorBall));
}

TEST_F(Editor, ASaveThatDoesNotFitTheRecordIsRefusedAndWritesNothing) {
  struct Case {
    int balls, platforms;
    const char* refusal;  // null: saved
  };
  const Case cases[] = {
      {5, 0, nullptr},
      {6, 0, "Too many balls: at most 5"},
      {4, 1, nullptr},
      {5, 1, "Too many balls: at most 4 with platforms"},
      {0, 9, nullptr},
      {0, 10, "Too many platforms: at most 9"},
      {6, 10, "Too many platforms: at most 9\nToo many balls: at most 4 with platforms"},
  };
  for (const Case& k : cases) {
    ResetProgramState();
    InputInit();
    KeyboardInit();
    WriteBytes("level.dat", Bytes(LevelRecordSize, 0xAB));
    Enter();
    for (int i = 0; i < k.balls; ++i) EditorGrid[i][0] = EditorBall;
    for (int i = 0; i < k.platforms; ++i) EditorGrid[i][3] = EditorPlatformFirst + i % 9;
    const Bytes before = Record();
    Save();
    const Bytes saved = ReadBytes("level.dat");
    if (k.refusal != nullptr) {
      EXPECT_EQ(headless::Messages(), std::vector<std::string>{k.refusal});
      EXPECT_EQ(saved, Bytes(LevelRecordSize, 0xAB));
      EXPECT_EQ(Record(), before);
      continue;
    }
    EXPECT_TRUE(headless::Messages().empty()) << k.balls << " " << k.platforms;
    EXPECT_EQ(saved[BallListByte + 2 * k.balls], 255);
    EXPECT_EQ(saved[PlatformListByte + 3 * k.platforms], 255);
    for (int i = 0; i < k.balls; ++i) EXPECT_EQ(saved[BallListByte + 2 * i], i);
    for (int i = 0; i < k.platforms; ++i) EXPECT_EQ(saved[PlatformListByte + 3 * i + 1], i);
  }
}

// V tells whether the painted level can be solved, without saving it; once per press.
TEST_F(Editor, CheckSearchesThePaintedLevelOncePerPress) {
  Enter();
  Paint(1, 1);
  Paint(2, 1);
  Place(1, 1, 1);
  Place(2, 1, 2);
  Frame({DIK_V});
  EXPECT_EQ(EditorCheckText, "Solvable in 1 move");
  EditorGrid[2][1] = EditorEmpty;  // no ball left to collect
  Frame({DIK_V});                  // still held: no new search
  EXPECT_EQ(EditorCheckText, "Solvable in 1 move");
  Frame();
  Frame({DIK_V});
  EXPECT_EQ(EditorCheckText, "No solution");
  EXPECT_FALSE(std::filesystem::exists("level.dat"));
}

// A left drag paints every cell it crosses with the colour its first cell took, whatever those
// cells held; the window procedure takes a double click's second press as a press, so two quick
// right clicks on an empty cell make a ball; Shift+right click sets the last object placed, a
// palette's pick the object picked.
TEST_F(Editor, DragsPaintTheirCellsAndEveryPressCounts) {
  Enter();
  EditorTerrain[3][2] = CellLand;  // crossed by the stroke: stays land
  EditorTerrain[5][2] = CellLand;
  Paint(1, 2);                                            // water to land: the stroke paints land
  for (auto [x, y] : {std::pair{230, 90}, {230, 130}}) {  // (1, 2) to (5, 2), then down to (5, 3)
    DragPending = 1, DragX = x, DragY = y;
    Frame();
  }
  std::vector<std::int32_t> row;
  for (int c = 0; c <= 6; ++c) row.push_back(EditorTerrain[c][2]);
  EXPECT_EQ(row, (std::vector<std::int32_t>{2, 1, 1, 1, 1, 1, 2}));
  EXPECT_EQ(EditorTerrain[5][3], CellLand);
  Paint(5, 3);  // land to water: a new stroke paints water
  DragPending = 1, DragX = 20, DragY = 130;
  Frame();
  for (int c = 0; c <= 5; ++c) EXPECT_EQ(EditorTerrain[c][3], CellWater) << c;

  for (std::uint32_t message : {platform::WM_RBUTTONDOWN, platform::WM_RBUTTONDBLCLK}) {
    WindowProc(0, message, 0, platform::PackPoint(300, 300));
    Frame();
  }
  EXPECT_EQ(EditorGrid[7][7], EditorBall);
  Place(8, 8, 5);  // platform 2
  WindowProc(0, platform::WM_RBUTTONDOWN, platform::MK_SHIFT, platform::PackPoint(20, 20));
  Frame();
  EXPECT_EQ(EditorGrid[0][0], EditorPlatformFirst + 2);
  // A pick from the touch screen's palette sets its object; a code no object has sets nothing.
  for (std::uint64_t code : {25u, 99u}) {
    WindowProc(0, platform::WM_RBUTTONDOWN, code << 16, platform::PackPoint(20, 20));
    Frame();
  }
  EXPECT_EQ(EditorGrid[0][0], EditorPlatformFirst + 5);
}

// S and V say whether the level can be solved; what they said goes once the board changes.
TEST_F(Editor, TheSaveSaysWhetherTheLevelCanBeSolvedUntilTheBoardChanges) {
  Enter();
  Paint(1, 1);
  Place(1, 1, 1);
  Place(2, 1, 2);
  Save();
  EXPECT_EQ(EditorCheckText, "Saved level.dat: not solvable yet");
  Paint(2, 1);
  EXPECT_EQ(EditorCheckText, "");
  Frame();
  Save();
  EXPECT_EQ(EditorCheckText, "Saved level.dat (solvable in 1 move)");
  Frame({DIK_V});
  Place(5, 5, 1);
  EXPECT_EQ(EditorCheckText, "");
}

}  // namespace
