// The board queries behind every move: boundaries, what lies around the Player, which platform
// he stands on, and whether a platform may move.
#include "play/movement.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "board/board_state.h"
#include "gfx/sprites.h"
#include "tests/test_support.h"

namespace {

class MovementQueries : public testing_support::FreshProgram {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    std::memset(LevelRecord, 2, BoardCells * BoardCells);  // all water
    Rebuild();
  }
  static void Land(int column, int row) {
    TerrainByte(column, row) = 1;
    Rebuild();
  }
  // Puts a platform of the type into slot n with its box at the cell, as set-up would.
  static void Platform(int n, int type, int column, int row) {
    PlatformTable.type[n] = type;
    PlatformTable.x[n] = column * CellPixels;
    PlatformTable.y[n] = row * CellPixels;
    BuildPlatformShape(std::uint32_t(n), type);
    if (PlatformCount <= n) PlatformCount = n + 1;
    Rebuild();
  }
  static void Rebuild() {
    BuildTerrainGrid();
    MarkPlatformCells();
  }
  static void PlayerAt(std::int32_t x, std::int32_t y) {
    PlayerBob.x = x;
    PlayerBob.y = y;
  }
  // The flags after a probe, as "W", "L", "P" or "" for none.
  static std::string Flags(void (*probe)()) {
    NeighbourWater = NeighbourLand = NeighbourPlatform = 1;
    probe();
    return std::string(NeighbourWater ? "W" : "") + (NeighbourLand ? "L" : "") +
           (NeighbourPlatform ? "P" : "");
  }
  static std::string AllMoves(int n) {
    std::string s;
    for (int d : {DirLeft, DirUp, DirRight, DirDown}) s += CanPlatformMove(n, d) ? '1' : '0';
    return s;  // left, up, right, down
  }
};

TEST_F(MovementQueries, BoundariesAreMultiplesOfACellEvenLeftOfTheBoard) {
  PlayerAt(40, 80);
  EXPECT_EQ(AtCellBoundary(), 1);
  PlayerAt(44, 80);
  EXPECT_EQ(AtCellBoundary(), 0);
  PlayerAt(40, 76);
  EXPECT_EQ(AtCellBoundary(), 0);
  PlayerAt(0, 0);
  EXPECT_EQ(AtCellBoundary(), 1);
  PlayerAt(-40, 0);
  EXPECT_EQ(AtCellBoundary(), 1);
  PlayerAt(-4, 0);
  EXPECT_EQ(AtCellBoundary(), 0);
  PlayerAt(INT_MIN, INT_MAX);
  EXPECT_EQ(AtCellBoundary(), 0);
}

TEST_F(MovementQueries, NeighbourProbesSetOneFlagAndNoneBeyondTheBorder) {
  Land(5, 5);
  Land(5, 4);
  Platform(0, 7, 6, 5);  // a bar from (6, 5) down
  PlayerAt(200, 200);
  EXPECT_EQ(Flags(ProbeRight), "P");
  EXPECT_EQ(Flags(ProbeUp), "L");
  EXPECT_EQ(Flags(ProbeLeft), "W");
  EXPECT_EQ(Flags(ProbeDown), "W");
  ProbeUnderPlayer();
  EXPECT_EQ(OnPlatform, 0);
  PlayerAt(240, 240);
  ProbeUnderPlayer();
  EXPECT_EQ(OnPlatform, 1);

  PlayerAt(0, 0);
  EXPECT_EQ(Flags(ProbeLeft), "");
  EXPECT_EQ(Flags(ProbeUp), "");
  EXPECT_EQ(Flags(ProbeRight), "W");
  PlayerAt(520, 520);
  EXPECT_EQ(Flags(ProbeRight), "");
  EXPECT_EQ(Flags(ProbeDown), "");
  EXPECT_EQ(Flags(ProbeUp), "W");
}

TEST_F(MovementQueries, APlayerOffTheBoardStandsOnNoCellAndHasNoNeighbours) {
  Platform(0, 7, 0, 5);  // column 0, rows 5..7
  Land(0, 4);
  // Left of column 0, but not on it: the division must not round -20 up to column 0.
  for (std::int32_t x : {-20, -40, -1, INT_MIN}) {
    PlayerAt(x, 200);
    ProbeUnderPlayer();
    EXPECT_EQ(OnPlatform, 0) << x;
    EXPECT_EQ(Flags(ProbeRight), "") << x;
    EXPECT_EQ(Flags(ProbeUp), "") << x;
    EXPECT_EQ(Flags(ProbeDown), "") << x;
  }
  for (auto [x, y] : {std::pair{560, 200}, {200, 560}, {0, -40}, {INT_MAX, INT_MAX}}) {
    PlayerAt(x, y);
    ProbeUnderPlayer();
    EXPECT_EQ(OnPlatform, 0);
    EXPECT_EQ(Flags(ProbeLeft) + Flags(ProbeUp) + Flags(ProbeRight) + Flags(ProbeDown), "")
        << x << "," << y;
  }
}

TEST_F(MovementQueries, WaterTestsAreFalseOffTheBoardOnEitherAxis) {
  for (int y = -40; y <= 560; y += 20) {
    EXPECT_EQ(WaterRightOf(520, y), 0) << y;
    EXPECT_EQ(WaterLeftOf(0, y), 0) << y;
    EXPECT_EQ(WaterAbove(y, 0), 0) << y;
    EXPECT_EQ(WaterBelow(y, 520), 0) << y;
  }
  EXPECT_EQ(WaterRightOf(480, 0), 1);
  EXPECT_EQ(WaterBelow(0, 480), 1);
  // Pixel -1 lies in column -1, whose right neighbour is column 0, not column 1.
  Land(1, 1);
  EXPECT_EQ(WaterRightOf(-1, 40), 1);
  EXPECT_EQ(WaterLeftOf(-1, 40), 0);
  EXPECT_EQ(WaterRightOf(200, -1), 0);  // the other axis off the board
  EXPECT_EQ(WaterBelow(-40, 200), 0);
  EXPECT_EQ(WaterLeftOf(INT_MAX, INT_MIN), 0);
  EXPECT_EQ(WaterRightOf(INT_MIN, INT_MAX), 0);
  Land(3, 3);
  EXPECT_EQ(WaterRightOf(80, 120), 0);
  EXPECT_EQ(WaterRightOf(119, 159), 0);  // any pixel of the cell
  EXPECT_EQ(WaterLeftOf(199, 120), 0);
  EXPECT_EQ(WaterRightOf(80, 119), 1);
}

TEST_F(MovementQueries, APlatformMovesOnlyOntoOpenWater) {
  Platform(0, 5, 3, 4);  // the square at pixel (120, 160)
  EXPECT_EQ(AllMoves(0), "1111");
  Land(5, 5);  // beside its right edge cell (1, 1)
  EXPECT_EQ(AllMoves(0), "1101");
  EXPECT_EQ(CanPlatformMove(0, DirRight), 0);
  EXPECT_EQ(CanPlatformMove(0, DirLeft), 1);
  EXPECT_EQ(CanPlatformMove(0, DirUp), 1);
  EXPECT_EQ(CanPlatformMove(0, DirDown), 1);

  // The arch's legs lead to the left and the right: the empty box cell between them is tested.
  Platform(1, 2, 8, 8);
  EXPECT_EQ(CanPlatformMove(1, DirLeft), 1);
  Land(9, 9);  // box cell (1, 1)
  EXPECT_EQ(CanPlatformMove(1, DirLeft), 0);
  EXPECT_EQ(CanPlatformMove(1, DirRight), 0);
  EXPECT_EQ(CanPlatformMove(1, DirUp), 1);
  EXPECT_EQ(CanPlatformMove(1, DirDown), 0);  // the box cell (1, 1) is under (1, 0)
}

TEST_F(MovementQueries, BordersAndOtherPlatformsBlock) {
  Platform(0, 7, 13, 2);  // the bar in the rightmost column
  EXPECT_EQ(CanPlatformMove(0, DirRight), 0);
  EXPECT_EQ(CanPlatformMove(0, DirLeft), 1);
  Platform(1, 7, 6, 0);  // the bar in the top row
  EXPECT_EQ(CanPlatformMove(1, DirUp), 0);
  Platform(2, 7, 0, 11);  // left column, reaching the bottom row
  EXPECT_EQ(CanPlatformMove(2, DirLeft), 0);
  EXPECT_EQ(CanPlatformMove(2, DirDown), 0);

  // Two squares side by side: neither can move towards the other.
  Platform(3, 5, 2, 6);
  Platform(4, 5, 4, 6);
  EXPECT_EQ(CanPlatformMove(3, DirRight), 0);
  EXPECT_EQ(CanPlatformMove(4, DirLeft), 0);
  EXPECT_EQ(CanPlatformMove(3, DirLeft), 1);
  EXPECT_EQ(CanPlatformMove(4, DirRight), 1);
}

TEST_F(MovementQueries, OnlyExistingPlatformsAndDirectionsAreAsked) {
  Platform(0, 5, 3, 4);
  EXPECT_EQ(CanPlatformMove(1, DirLeft), 0);
  EXPECT_EQ(CanPlatformMove(-1, DirLeft), 0);
  EXPECT_EQ(CanPlatformMove(9, DirLeft), 0);
  EXPECT_EQ(CanPlatformMove(0, 0), 0);
  EXPECT_EQ(CanPlatformMove(0, 5), 0);
  // Positions that no play leads to still read no cell beyond the board.
  PlatformTable.x[0] = INT_MAX;
  PlatformTable.y[0] = INT_MIN;
  EXPECT_EQ(AllMoves(0), "0000");
}

TEST_F(MovementQueries, ThePlatformUnderThePlayerIsTheLastWithinReach) {
  EXPECT_EQ(FindPlatformUnderPlayer(), -1);
  Platform(0, 5, 0, 0);
  Platform(1, 5, 10, 10);
  Platform(2, 7, 5, 5);  // covers (5, 5)
  Platform(3, 5, 10, 0);
  Platform(4, 7, 6, 5);  // covers (6, 5)
  PlayerAt(200, 200);
  EXPECT_EQ(FindPlatformUnderPlayer(), 2);
  PlayerAt(204, 200);  // 4 pixels from slot 2's cell, 36 from slot 4's: both match
  EXPECT_EQ(FindPlatformUnderPlayer(), 4);
  PlayerAt(240, 240);
  EXPECT_EQ(FindPlatformUnderPlayer(), 4);
  PlayerAt(280, 200);
  EXPECT_EQ(FindPlatformUnderPlayer(), -1);
  PlayerAt(40, 40);
  EXPECT_EQ(FindPlatformUnderPlayer(), 0);

  // During a carry the Player is 4 pixels ahead of the platform: the same one is found.
  PlatformTable.x[1] = 404;
  PlayerAt(448, 400);
  EXPECT_EQ(FindPlatformUnderPlayer(), 1);

  // An unknown type has no cells to stand on.
  Platform(5, 9, 0, 0);
  PlayerAt(0, 0);
  EXPECT_EQ(FindPlatformUnderPlayer(), 0);

  // Distances between extreme positions do not wrap around: these are 2^32 - 1 pixels apart,
  // which 32-bit arithmetic would take for 1.
  PlatformTable.x[4] = INT_MAX;
  PlatformTable.y[4] = INT_MIN;
  PlayerAt(INT_MIN, INT_MAX);
  EXPECT_EQ(FindPlatformUnderPlayer(), -1);
  PlayerAt(INT_MIN, INT_MIN);
  EXPECT_EQ(FindPlatformUnderPlayer(), -1);
  PlayerAt(INT_MAX, INT_MIN);
  EXPECT_EQ(FindPlatformUnderPlayer(), 4);
}

TEST_F(MovementQueries, ThePlatformIsFoundWheneverACellCentreIsWithinReach) {
  // Every Player position around a plus and an arch, against the plain distance rule.
  Platform(0, 8, 5, 5);
  Platform(1, 2, 7, 6);
  for (int y = 100; y <= 460; ++y) {
    for (int x = 100; x <= 460; ++x) {
      std::int32_t expected = -1;
      for (int n = 0; n < 2; ++n) {
        for (int dx = 0; dx < 3; ++dx) {
          for (int dy = 0; dy < 3; ++dy) {
            const int ccx = PlatformTable.x[n] + dx * 40 + 20;
            const int ccy = PlatformTable.y[n] + dy * 40 + 20;
            if (PlatformTable.record[n].shape[dx][dy] == 1 && std::abs(x + 20 - ccx) < 40 &&
                std::abs(y + 20 - ccy) < 40) {
              expected = n;
            }
          }
        }
      }
      PlayerAt(x, y);
      ASSERT_EQ(FindPlatformUnderPlayer(), expected) << x << "," << y;
    }
  }
}

TEST_F(MovementQueries, AbsoluteValueKeepsTheMostNegativeValue) {
  EXPECT_EQ(AbsValue(-7), 7);
  EXPECT_EQ(AbsValue(0), 0);
  EXPECT_EQ(AbsValue(7), 7);
  EXPECT_EQ(AbsValue(-INT_MAX), INT_MAX);
  EXPECT_EQ(AbsValue(INT_MIN), INT_MIN);
}

}  // namespace
