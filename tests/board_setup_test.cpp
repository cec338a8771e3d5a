// Board set-up: from a level file on disk to the grid, the platforms, the balls and the Player.
#include <cstring>
#include <string>
#include <vector>

#include "app/progress.h"
#include "board/board_state.h"
#include "gfx/sprites.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

// A level under construction: all water, no balls, no platforms, Player at (0, 0).
struct Level {
  std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(LevelRecordSize, 2);
  int balls = 0;
  int platforms = 0;

  Level() {
    bytes[PlayerStartByte] = 0;
    bytes[PlayerStartByte + 1] = 0;
    bytes[BallListByte] = ListEnd;
    bytes[PlatformListByte] = ListEnd;
  }
  Level& Land(int column, int row) {
    bytes[column * BoardCells + row] = 1;
    return *this;
  }
  Level& Player(int column, int row) {
    bytes[PlayerStartByte] = std::uint8_t(column);
    bytes[PlayerStartByte + 1] = std::uint8_t(row);
    return *this;
  }
  Level& Ball(int column, int row) {
    const int at = BallListByte + 2 * balls++;
    bytes[at] = std::uint8_t(column);
    bytes[at + 1] = std::uint8_t(row);
    if (at + 2 < PlatformListByte) bytes[at + 2] = ListEnd;
    return *this;
  }
  Level& Platform(int type, int column, int row) {
    const int at = PlatformListByte + 3 * platforms++;
    bytes[at] = std::uint8_t(type);
    bytes[at + 1] = std::uint8_t(column);
    bytes[at + 2] = std::uint8_t(row);
    if (at + 3 < LevelRecordSize) bytes[at + 3] = ListEnd;
    return *this;
  }
};

std::int64_t CountCells(std::int32_t state) {
  std::int64_t n = 0;
  for (auto& column : BoardGrid) {
    for (std::int32_t cell : column) n += cell == state;
  }
  return n;
}

std::int64_t Proc(platform::Window w, std::uint32_t id, std::uint64_t wp, std::int64_t lp) {
  return platform::DefWindowProc(w, id, wp, lp);
}

class BoardSetup : public testing_support::FreshProgram {
 protected:
  // Sets the level up as level 1, from its file.
  void Start(const Level& level) {
    testing_support::WriteBytes("level1.dat", level.bytes);
    CurrentLevel = 1;
    StartLevel();
  }
};

TEST_F(BoardSetup, ALevelBecomesGridPlatformsBallsAndPlayer) {
  Level level;
  level.Land(1, 1).Land(1, 13).Land(13, 0).Land(8, 8).Player(2, 11);
  level.bytes[5] = 0;  // column 0, row 5: another water byte
  level.Ball(6, 7).Ball(0, 13).Ball(13, 0);
  level.Platform(5, 3, 4).Platform(7, 8, 7);  // the bar covers land at (8, 8)
  LevelSolved = 1;
  Start(level);

  EXPECT_EQ(LevelSolved, 0);
  EXPECT_EQ(BoardGrid[1][1], CellLand);
  EXPECT_EQ(BoardGrid[1][13], CellLand);
  EXPECT_EQ(BoardGrid[13][0], CellLand);
  EXPECT_EQ(BoardGrid[0][5], CellWater);
  EXPECT_EQ(BoardGrid[13][13], CellWater);
  EXPECT_EQ(CountCells(CellLand), 3);

  ASSERT_EQ(PlatformCount, 2);
  EXPECT_EQ(PlatformTable.type[0], 5);
  EXPECT_EQ(PlatformTable.x[0], 120);
  EXPECT_EQ(PlatformTable.y[0], 160);
  for (int n = 2; n < PlatformSlots; ++n) EXPECT_EQ(PlatformTable.type[n], -1);
  for (auto [c, r] : {std::pair{3, 4}, {4, 4}, {3, 5}, {4, 5}, {8, 7}, {8, 8}, {8, 9}}) {
    EXPECT_EQ(BoardGrid[c][r], CellPlatform) << c << "," << r;
  }
  EXPECT_EQ(CountCells(CellPlatform), 7);
  EXPECT_EQ(PlatformTable.record[1].upCount, 1);  // the shape came with it

  ASSERT_EQ(BallTotal, 3);
  EXPECT_EQ(BallsLeft, 3);
  EXPECT_EQ(BallBobs[0].x, 240);
  EXPECT_EQ(BallBobs[0].y, 280);
  EXPECT_EQ(BallBobs[1].y, 520);
  EXPECT_EQ(BallBobs[2].x, 520);
  for (int n = 0; n < 3; ++n) EXPECT_EQ(BallAlive[n], 1);
  EXPECT_EQ(PlayerBob.x, 80);
  EXPECT_EQ(PlayerBob.y, 440);
  EXPECT_TRUE(headless::Messages().empty());
}

TEST_F(BoardSetup, EmptyListsGiveNoBallsAndNoPlatforms) {
  BallTotal = BallsLeft = PlatformCount = 4;
  Start(Level().Land(0, 0));
  EXPECT_EQ(BallTotal, 0);
  EXPECT_EQ(BallsLeft, 0);
  EXPECT_EQ(PlatformCount, 0);
  for (int n = 0; n < PlatformSlots; ++n) EXPECT_EQ(PlatformTable.type[n], -1);
  EXPECT_EQ(CountCells(CellPlatform), 0);
}

TEST_F(BoardSetup, FiveBallsFillTheAreaWhenThereAreNoPlatforms) {
  Level level;
  for (int i = 0; i < 5; ++i) level.Ball(i, 2 * i);
  ASSERT_EQ(level.bytes[PlatformListByte], ListEnd);
  Start(level);
  EXPECT_EQ(BallTotal, 5);
  EXPECT_EQ(BallBobs[4].x, 160);
  EXPECT_EQ(BallBobs[4].y, 320);
  EXPECT_EQ(PlatformCount, 0);
}

TEST_F(BoardSetup, ListsWithoutTerminatorsStopAtTheirAreaAndTable) {
  Level level;
  for (int i = 0; i < 5; ++i) level.Ball(i, i);
  // Ten triples and no terminator anywhere up to the record's end.
  for (int at = PlatformListByte; at < LevelRecordSize; ++at) level.bytes[at] = 0;
  for (int n = 0; n < 10; ++n) level.Platform(n % 9, n, 0);
  level.bytes[PlatformListByte + 30] = 0;  // where the tenth triple's terminator was
  BallAlive[5] = 0;
  Start(level);
  EXPECT_EQ(BallTotal, 5);  // byte 208 is a platform type, yet the ball list ends there
  EXPECT_EQ(BallAlive[5], 0);
  EXPECT_EQ(PlatformCount, MaxPlatformsInRecord);
  EXPECT_EQ(PlatformTable.type[8], 8);
  EXPECT_EQ(PlatformTable.type[9], -1);  // the tenth triple is never read

  // The all-zero record (the one in memory when the very first load fails) is just as bounded.
  std::memset(LevelRecord, 0, LevelRecordSize);
  CurrentLevel = 7;  // no such file
  StartLevel();
  EXPECT_EQ(BallTotal, 5);
  EXPECT_EQ(PlatformCount, MaxPlatformsInRecord);
  EXPECT_EQ(CountCells(CellPlatform), 4);  // nine type 0 platforms at (0, 0)
}

TEST_F(BoardSetup, CoordinatesOffTheBoardAreSignedAndMarkOnlyBoardCells) {
  Level level;
  level.Player(-3, 200);  // 200 is -56 as a signed byte
  level.Ball(-2, 127).Ball(14, 14);
  level.Platform(1, -2, 5);   // only its right column (dx 2) reaches column 0
  level.Platform(0, 12, 13);  // the top row of its box is row 13; column 14 does not exist
  level.Platform(8, 127, -128);
  Start(level);
  EXPECT_EQ(PlayerBob.x, -120);
  EXPECT_EQ(PlayerBob.y, -56 * 40);
  ASSERT_EQ(BallTotal, 2);
  EXPECT_EQ(BallBobs[0].x, -80);
  EXPECT_EQ(BallBobs[0].y, 127 * 40);
  ASSERT_EQ(PlatformCount, 3);
  EXPECT_EQ(PlatformTable.x[2], 127 * 40);
  EXPECT_EQ(PlatformTable.y[2], -128 * 40);
  for (auto [c, r] : {std::pair{0, 5}, {0, 6}, {0, 7}, {12, 13}, {13, 13}}) {
    EXPECT_EQ(BoardGrid[c][r], CellPlatform) << c << "," << r;
  }
  EXPECT_EQ(CountCells(CellPlatform), 5);

  // A platform caught between cells left of the board covers only the cells its pixels reach.
  PlatformTable.x[0] = -20;
  PlatformTable.y[0] = 200;
  BuildTerrainGrid();
  MarkPlatformCells();
  EXPECT_EQ(BoardGrid[0][5], CellWater);  // the box starts in column -1: (0, 1) is at column -1
  EXPECT_EQ(BoardGrid[1][5], CellPlatform);
  EXPECT_EQ(BoardGrid[1][6], CellPlatform);
}

TEST_F(BoardSetup, UnknownTypesAreReportedCountedAndNeverMarked) {
  Level level;
  level.Platform(9, 0, 0).Platform(5, 5, 5).Platform(200, 10, 10);
  Start(level);
  EXPECT_EQ(headless::Messages(), (std::vector<std::string>{"Hov!", "Hov!"}));
  ASSERT_EQ(PlatformCount, 3);
  EXPECT_EQ(PlatformTable.type[0], 9);
  EXPECT_EQ(PlatformTable.type[1], 5);
  EXPECT_EQ(PlatformTable.type[2], -56);
  EXPECT_EQ(CountCells(CellPlatform), 4);  // only the square
  EXPECT_EQ(BoardGrid[5][5], CellPlatform);
}

TEST_F(BoardSetup, AFailedLoadSetsThePreviousLevelUpAgain) {
  Level level;
  level.Land(4, 4).Player(4, 4).Ball(5, 5).Platform(6, 1, 1);
  Start(level);
  BallAlive[0] = 0;
  BallsLeft = 0;
  PlayerBob.x = 0;
  LevelSolved = 1;

  CurrentLevel = 2;  // no file
  StartLevel();
  EXPECT_EQ(headless::Messages(), std::vector<std::string>{"INVALID_HANDLE_VALUE"});
  EXPECT_EQ(BoardGrid[4][4], CellLand);
  EXPECT_EQ(PlatformCount, 1);
  EXPECT_EQ(BallsLeft, 1);
  EXPECT_EQ(BallAlive[0], 1);
  EXPECT_EQ(PlayerBob.x, 160);
  EXPECT_EQ(LevelSolved, 0);
}

TEST_F(BoardSetup, EachSetUpRereadsTheFileAndReplacesTheState) {
  Level first;
  first.Platform(5, 1, 1).Platform(7, 6, 6).Ball(2, 2).Ball(3, 3);
  Start(first);
  std::int32_t grid[BoardCells][BoardCells];
  std::memcpy(grid, BoardGrid, sizeof grid);
  Start(first);
  EXPECT_EQ(std::memcmp(grid, BoardGrid, sizeof grid), 0);
  EXPECT_EQ(PlatformCount, 2);

  Level second;
  second.Platform(6, 9, 9).Ball(4, 4);
  Start(second);
  EXPECT_EQ(PlatformCount, 1);
  EXPECT_EQ(PlatformTable.type[1], -1);
  EXPECT_EQ(BallTotal, 1);
  EXPECT_EQ(CountCells(CellPlatform), 3);
  EXPECT_EQ(BoardGrid[1][1], CellWater);
}

TEST_F(BoardSetup, SetUpEnablesTheFirstLevelInTheMenu) {
  ASSERT_TRUE(platform::RegisterWindowClass("WINXCLASS", Proc));
  const platform::Window window = platform::CreateGameWindow(
      "WINXCLASS", "Yelko",
      {{"Levels", 0, 0, true}, {"Level 1", 21, 1, false}, {"Level 2", 22, 1, false}});
  ASSERT_NE(window, 0u);
  Start(Level());
  EXPECT_TRUE(platform::IsMenuItemEnabled(window, 21));
  EXPECT_FALSE(platform::IsMenuItemEnabled(window, 22));
}

}  // namespace
