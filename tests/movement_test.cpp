// The board queries behind every move: boundaries, what lies around the Player, which platform
// he stands on, and whether a platform may move.
#include "play/movement.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <tuple>

#include "board/level.h"
#include "tests/test_support.h"

namespace {

class MovementQueries : public testing_support::FreshProgram {
 protected:
  Level level_;
  GameState state_;

  void SetUp() override {
    FreshProgram::SetUp();
    for (auto& column : level_.terrain) std::fill(std::begin(column), std::end(column), CellWater);
  }

  void Land(int column, int row) { level_.terrain[column][row] = CellLand; }
  // Slot n gets a platform of the type with its box at the cell, as set-up would give it.
  void Platform(int n, int type, int column, int row) {
    state_.platformX[n] = column * CellPixels;
    state_.platformY[n] = row * CellPixels;
    BuildPlatformShape(&level_.platform[n], type);
    if (level_.platformCount <= n) level_.platformCount = n + 1;
  }
  void PlayerAt(std::int32_t x, std::int32_t y) {
    state_.playerX = x;
    state_.playerY = y;
  }
  Board Shown() const {
    Board board;
    BuildBoard(level_, state_, &board);
    return board;
  }
  // Left, up, right, down: 1 where platform n may move.
  std::string Moves(int n) const {
    std::string s;
    for (int d : {DirLeft, DirUp, DirRight, DirDown}) {
      s += CanPlatformMove(level_, Shown(), state_, n, d) ? '1' : '0';
    }
    return s;
  }
  // Left, up, right, down: what the Player's decision is, "w" walk, "c" carry, "." stay.
  std::string Decisions() const {
    std::string s;
    for (int d : {DirLeft, DirUp, DirRight, DirDown}) {
      GameState t = state_;
      DecideMove(level_, Shown(), &t, d);
      s += t.movement.carrying ? 'c' : t.movement.moving ? 'w' : '.';
    }
    return s;
  }
};

TEST_F(MovementQueries, BoundariesAreMultiplesOfACellEvenLeftOfTheBoard) {
  using Case = std::tuple<int, int, int>;
  for (auto [x, y, at] : {Case{40, 80, 1}, Case{44, 80, 0}, Case{40, 76, 0}, Case{0, 0, 1},
                          Case{-40, 0, 1}, Case{-4, 0, 0}, Case{INT_MIN, INT_MAX, 0}}) {
    PlayerAt(x, y);
    EXPECT_EQ(AtCellBoundary(state_), at) << x << "," << y;
  }
}

TEST_F(MovementQueries, ThePlayerWalksOntoLandOrPlatformsAndCarriesOverWater) {
  Land(5, 4);
  Land(5, 5);
  Platform(0, 7, 6, 5);  // a bar from (6, 5) down
  PlayerAt(200, 200);    // on land at (5, 5): water left and below, land up, the bar right
  EXPECT_EQ(Decisions(), ".ww.");
  // On the bar's middle: along it, or carrying it right; not left, where land meets its top.
  PlayerAt(240, 240);
  EXPECT_EQ(Decisions(), ".wcw");
  // Beyond the border there is no neighbour.
  Platform(1, 5, 0, 0);
  PlayerAt(0, 0);
  EXPECT_EQ(Decisions(), "..ww");
}

TEST_F(MovementQueries, APlayerOffTheBoardStandsOnNoCellAndHasNoNeighbours) {
  Platform(0, 7, 0, 5);  // column 0, rows 5..7
  // Left of column 0, not on it: -20 / 40 must not be taken for column 0.
  using At = std::pair<int, int>;
  for (auto [x, y] : {At{-20, 200}, At{-1, 240}, At{-40, 240}, At{INT_MIN, 200}, At{560, 200},
                      At{200, 560}, At{0, -40}, At{INT_MAX, INT_MAX}}) {
    PlayerAt(x, y);
    EXPECT_EQ(Decisions(), "....") << x << "," << y;
  }
}

TEST_F(MovementQueries, APlatformMovesOnlyOntoOpenWater) {
  Platform(0, 5, 3, 4);  // the square at pixel (120, 160)
  EXPECT_EQ(Moves(0), "1111");
  Land(5, 5);  // right of its edge cell (1, 1)
  EXPECT_EQ(Moves(0), "1101");
  // The arch's legs both lead left and right, and the empty box cell between them is tested.
  Platform(1, 2, 8, 8);
  EXPECT_EQ(Moves(1), "1111");
  Land(9, 9);
  EXPECT_EQ(Moves(1), "0100");
  // The border blocks.
  Platform(2, 7, 13, 2);
  EXPECT_EQ(Moves(2), "1101");
  Platform(3, 7, 0, 11);
  EXPECT_EQ(Moves(3), "0110");
  // So do other platforms: two squares side by side cannot move towards each other.
  Platform(4, 5, 2, 0);
  Platform(5, 5, 4, 0);
  EXPECT_EQ(Moves(4), "1001");
  EXPECT_EQ(Moves(5), "0011");
  // Only platforms that exist, and only the four directions; positions no play leads to still
  // read no cell beyond the board.
  EXPECT_EQ(Moves(6) + Moves(-1) + Moves(9), "000000000000");
  EXPECT_EQ(CanPlatformMove(level_, Shown(), state_, 0, 0) +
                CanPlatformMove(level_, Shown(), state_, 0, 5),
            0);
  state_.platformX[0] = INT_MAX;
  state_.platformY[0] = INT_MIN;
  EXPECT_EQ(Moves(0), "0000");
}

TEST_F(MovementQueries, ThePlatformUnderThePlayerIsTheLastWithinReach) {
  EXPECT_EQ(FindPlatformUnderPlayer(level_, state_), -1);
  Platform(0, 5, 0, 0);
  Platform(1, 5, 10, 10);
  Platform(2, 7, 5, 5);  // covers (5, 5)
  Platform(4, 7, 6, 5);  // covers (6, 5)
  Platform(5, 9, 0, 0);  // unknown: no cells to stand on
  using Case = std::tuple<int, int, int>;
  for (auto [x, y, n] : {Case{200, 200, 2}, Case{204, 200, 4}, Case{240, 240, 4},
                         Case{280, 200, -1}, Case{0, 0, 0}, Case{40, 40, 0}}) {
    PlayerAt(x, y);
    EXPECT_EQ(FindPlatformUnderPlayer(level_, state_), n) << x << "," << y;
  }
  // During a carry the Player is 4 pixels ahead of the platform: the same one is found.
  state_.platformX[1] = 404;
  PlayerAt(448, 400);
  EXPECT_EQ(FindPlatformUnderPlayer(level_, state_), 1);
  // Distances between extreme positions do not wrap: 2^32 - 1 pixels are not 1.
  state_.platformX[4] = INT_MAX;
  state_.platformY[4] = INT_MIN;
  PlayerAt(INT_MIN, INT_MIN);
  EXPECT_EQ(FindPlatformUnderPlayer(level_, state_), -1);
  PlayerAt(INT_MAX, INT_MIN);
  EXPECT_EQ(FindPlatformUnderPlayer(level_, state_), 4);
}

}  // namespace
