// Board set-up: from a level file on disk to the grid, the platforms, the balls and the Player.
#include <cstring>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "app/progress.h"
#include "app/shell.h"
#include "midend/game.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Byte offsets of the record, spelled out here because these tests write records the codec
// would never write (unended lists, stray types, off-board coordinates).
constexpr int PlayerStartByte = 196;
constexpr int BallListByte = 198;
constexpr int PlatformListByte = 208;

// All water, no balls, no platforms, the Player at (0, 0).
Bytes WaterLevel() {
  Bytes b(LevelRecordSize, 2);
  b[PlayerStartByte] = b[PlayerStartByte + 1] = 0;
  b[BallListByte] = b[PlatformListByte] = ListEnd;
  return b;
}
// Writes values from byte `at` on; negative ones as signed bytes.
void Put(Bytes& b, int at, std::initializer_list<int> values) {
  for (int v : values) b[at++] = std::uint8_t(v);
}

// The board the rules see for the level in play.
Board Shown() {
  Board board;
  BuildBoard(PlayLevel, PlayState, &board);
  return board;
}

int CountCells(std::int32_t state) {
  int n = 0;
  for (auto& column : Shown().cell) {
    for (std::int32_t cell : column) n += cell == state;
  }
  return n;
}

std::int64_t Proc(platform::Window w, std::uint32_t id, std::uint64_t wp, std::int64_t lp) {
  return platform::DefWindowProc(w, id, wp, lp);
}

class BoardSetup : public testing_support::FreshProgram {
 protected:
  static void Start(const Bytes& level) {
    testing_support::WriteBytes("level1.dat", level);
    CurrentLevel = 1;
    StartLevel();
  }
};

TEST_F(BoardSetup, ALevelBecomesGridPlatformsBallsAndPlayer) {
  ASSERT_TRUE(platform::RegisterWindowClass("WINXCLASS", Proc));
  const platform::Window window = platform::CreateGameWindow(
      "WINXCLASS", "Yelko", {{"Levels", 0, 0, true}, {"Level 1", 21, 1, false}});
  Bytes level = WaterLevel();
  level[15] = level[27] = level[182] = level[8 * 14 + 8] = 1;  // (1,1) (1,13) (13,0) (8,8)
  level[5] = 0;                                                // also water
  Put(level, PlayerStartByte, {2, 11, 6, 7, 0, 13, 13, 0, 255});
  Put(level, PlatformListByte, {5, 3, 4, 7, 8, 7, 255});  // the bar covers the land at (8, 8)
  PlayState.solved = 1;
  Start(level);

  EXPECT_TRUE(platform::IsMenuItemEnabled(window, 21));
  EXPECT_EQ(PlayState.solved, 0);
  const Board board = Shown();
  for (auto [c, r] : {std::pair{1, 1}, {1, 13}, {13, 0}}) EXPECT_EQ(board.cell[c][r], CellLand);
  for (auto [c, r] : {std::pair{3, 4}, {4, 4}, {3, 5}, {4, 5}, {8, 7}, {8, 8}, {8, 9}}) {
    EXPECT_EQ(board.cell[c][r], CellPlatform) << c << "," << r;
  }
  EXPECT_EQ(std::tuple(CountCells(CellLand), CountCells(CellPlatform), PlayLevel.platformCount),
            std::tuple(3, 7, 2));
  EXPECT_EQ(std::pair(PlayState.platformX[0], PlayState.platformY[0]), std::pair(120, 160));
  EXPECT_EQ(std::tuple(PlayLevel.ballCount, BallsLeft(PlayState)), std::tuple(3, 3));
  EXPECT_EQ(std::tuple(PlayLevel.ballX[0], PlayLevel.ballY[0], PlayLevel.ballX[2]),
            std::tuple(240, 280, 520));
  EXPECT_EQ(std::pair(PlayState.playerX, PlayState.playerY), std::pair(80, 440));
  EXPECT_TRUE(headless::Messages().empty());

  // Set up again from a level with neither balls nor platforms: nothing of the old one stays.
  Start(WaterLevel());
  EXPECT_EQ(PlayLevel.ballCount + PlayLevel.platformCount + CountCells(CellPlatform), 0);
}

TEST_F(BoardSetup, ListsWithoutTerminatorsStopAtTheirAreaAndTable) {
  Bytes level = WaterLevel();
  Put(level, BallListByte, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 255});  // five balls, no platforms
  Start(level);
  EXPECT_EQ(std::tuple(PlayLevel.ballCount, PlayLevel.ballY[4], PlayLevel.platformCount),
            std::tuple(5, 160, 0));

  // Five balls ended by a platform's type byte, and no 255 in the platform list at all.
  for (int n = 0; n < 10; ++n) Put(level, PlatformListByte + 3 * n, {n % 9, n, 0});
  Start(level);
  // The tenth triple is never read.
  EXPECT_EQ(std::tuple(PlayLevel.ballCount, PlayLevel.platformCount, PlayLevel.platformType[8]),
            std::tuple(5, MaxPlatformsInRecord, 8));

  // The all-zero record (in memory before the first load) is just as bounded.
  std::memset(LevelRecord, 0, LevelRecordSize);
  PlayRecord(LevelRecord, 0);
  // Nine type 0 platforms at (0, 0) cover four cells.
  EXPECT_EQ(std::tuple(PlayLevel.ballCount, PlayLevel.platformCount, CountCells(CellPlatform)),
            std::tuple(5, MaxPlatformsInRecord, 4));
}

TEST_F(BoardSetup, OffBoardCoordinatesAndUnknownTypesAreHarmless) {
  Bytes level = WaterLevel();
  Put(level, PlayerStartByte, {-3, -56, -2, 127, 255});
  Put(level, PlatformListByte,
      {1, -2, 5,      // only its right column (dx 2) reaches the board, at column 0
       0, 12, 13,     // only the first two cells of its top row are on the board
       8, 127, -128,  // nowhere near
       9, 6, 6,       // unknown
       -56, 10, 10,   // unknown (200)
       5, 5, 5, 255});
  Start(level);
  EXPECT_EQ(
      std::tuple(PlayState.playerX, PlayState.playerY, PlayLevel.ballX[0], PlayLevel.ballY[0]),
      std::tuple(-120, -56 * 40, -80, 127 * 40));
  EXPECT_EQ(headless::Messages(), (std::vector<std::string>{"Hov!", "Hov!"}));
  // Unknown types stay counted, and set-up goes on after them.
  EXPECT_EQ(
      std::tuple(PlayLevel.platformCount, PlayLevel.platformType[4], PlayLevel.platformType[5]),
      std::tuple(6, -56, 5));
  const Board board = Shown();
  for (auto [c, r] : {std::pair{0, 5}, {0, 6}, {0, 7}, {12, 13}, {13, 13}, {5, 5}, {6, 6}}) {
    EXPECT_EQ(board.cell[c][r], CellPlatform) << c << "," << r;
  }
  EXPECT_EQ(CountCells(CellPlatform), 9);

  // A platform caught between cells left of the board covers only the cells its pixels reach.
  PlayState.platformX[0] = -20;
  PlayState.platformY[0] = 200;
  EXPECT_EQ(Shown().cell[1][5], CellPlatform);  // its right column (dx 2) is in column 1,
  EXPECT_EQ(Shown().cell[2][5], CellWater);     // not column 2
}

// A level that cannot be read is never played as the one before it, nor as a mix of the two.
TEST_F(BoardSetup, AFailedLoadSetsUpAnEmptyBoardNamingTheProblem) {
  Bytes level = WaterLevel();
  level[4 * 14 + 4] = 1;
  Put(level, PlayerStartByte, {4, 4, 5, 5, 255});
  Put(level, PlatformListByte, {6, 1, 1, 255});
  Start(level);
  ASSERT_TRUE(AttemptFromStart);
  CurrentLevel = 2;  // no file
  StartLevel();
  EXPECT_EQ(headless::Messages(), std::vector<std::string>{"INVALID_HANDLE_VALUE"});
  EXPECT_EQ(LevelProblem, "level2.dat is missing");
  EXPECT_EQ(std::tuple(CountCells(CellWater), PlayLevel.platformCount, PlayLevel.ballCount,
                       PlayState.playerX, AttemptFromStart),
            std::tuple(BoardCells * BoardCells, 0, 0, -CellPixels, 0));
}

}  // namespace
