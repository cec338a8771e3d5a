// The board queries behind every move: boundaries, what lies around the Player, which platform
// he stands on, and whether a platform may move.
#include "play/movement.h"

#include <climits>
#include <cstring>
#include <string>
#include <tuple>

#include "board/board_state.h"
#include "board/level_record.h"
#include "gfx/sprites.h"
#include "tests/test_support.h"

namespace {

class MovementQueries : public testing_support::FreshProgram {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    for (int c = 0; c < BoardCells; ++c) std::memset(TerrainColumn(LevelRecord, c), 2, BoardCells);
    Rebuild();
  }
  static void Rebuild() {
    BuildTerrainGrid();
    MarkPlatformCells();
  }
  static void Land(int column, int row) {
    TerrainColumn(LevelRecord, column)[row] = 1;
    Rebuild();
  }
  // Slot n gets a platform of the type with its box at the cell, as set-up would give it.
  static void Platform(int n, int type, int column, int row) {
    PlatformTable.x[n] = column * CellPixels;
    PlatformTable.y[n] = row * CellPixels;
    BuildPlatformShape(std::uint32_t(n), type);
    if (PlatformCount <= n) PlatformCount = n + 1;
    Rebuild();
  }
  static void PlayerAt(std::int32_t x, std::int32_t y) {
    PlayerBob.x = x;
    PlayerBob.y = y;
  }
  // The flags a probe leaves: "W", "L", "P", or "" for none.
  static std::string Flags(void (*probe)()) {
    NeighbourWater = NeighbourLand = NeighbourPlatform = 1;
    probe();
    return std::string(NeighbourWater ? "W" : "") + (NeighbourLand ? "L" : "") +
           (NeighbourPlatform ? "P" : "");
  }
  static std::string AllFlags() {
    return Flags(ProbeLeft) + "/" + Flags(ProbeUp) + "/" + Flags(ProbeRight) + "/" +
           Flags(ProbeDown);
  }
  // Left, up, right, down: 1 where platform n may move.
  static std::string Moves(int n) {
    std::string s;
    for (int d : {DirLeft, DirUp, DirRight, DirDown}) s += CanPlatformMove(n, d) ? '1' : '0';
    return s;
  }
};

TEST_F(MovementQueries, BoundariesAreMultiplesOfACellEvenLeftOfTheBoard) {
  using Case = std::tuple<int, int, int>;
  for (auto [x, y, at] : {Case{40, 80, 1}, Case{44, 80, 0}, Case{40, 76, 0}, Case{0, 0, 1},
                          Case{-40, 0, 1}, Case{-4, 0, 0}, Case{INT_MIN, INT_MAX, 0}}) {
    PlayerAt(x, y);
    EXPECT_EQ(AtCellBoundary(), at) << x << "," << y;
  }
}

TEST_F(MovementQueries, ProbesTellWhatIsUnderAndBesideThePlayer) {
  Land(5, 4);
  Platform(0, 7, 6, 5);  // a bar from (6, 5) down
  PlayerAt(200, 200);
  EXPECT_EQ(AllFlags(), "W/L/P/W");
  ProbeUnderPlayer();
  EXPECT_EQ(OnPlatform, 0);
  PlayerAt(240, 240);
  ProbeUnderPlayer();
  EXPECT_EQ(OnPlatform, 1);
  // Beyond the border there is no neighbour.
  PlayerAt(0, 0);
  EXPECT_EQ(AllFlags(), "//W/W");
  PlayerAt(520, 520);
  EXPECT_EQ(AllFlags(), "W/W//");
}

TEST_F(MovementQueries, APlayerOffTheBoardStandsOnNoCellAndHasNoNeighbours) {
  Platform(0, 7, 0, 5);  // column 0, rows 5..7
  // Left of column 0, not on it: -20 / 40 must not be taken for column 0.
  using At = std::pair<int, int>;
  for (auto [x, y] : {At{-20, 200}, At{-1, 240}, At{-40, 240}, At{INT_MIN, 200}, At{560, 200},
                      At{200, 560}, At{0, -40}, At{INT_MAX, INT_MAX}}) {
    PlayerAt(x, y);
    ProbeUnderPlayer();
    EXPECT_EQ(OnPlatform, 0) << x << "," << y;
    EXPECT_EQ(AllFlags(), "///") << x << "," << y;
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
  EXPECT_EQ(CanPlatformMove(0, 0) + CanPlatformMove(0, 5), 0);
  PlatformTable.x[0] = INT_MAX;
  PlatformTable.y[0] = INT_MIN;
  EXPECT_EQ(Moves(0), "0000");
}

TEST_F(MovementQueries, ThePlatformUnderThePlayerIsTheLastWithinReach) {
  EXPECT_EQ(FindPlatformUnderPlayer(), -1);
  Platform(0, 5, 0, 0);
  Platform(1, 5, 10, 10);
  Platform(2, 7, 5, 5);  // covers (5, 5)
  Platform(4, 7, 6, 5);  // covers (6, 5)
  Platform(5, 9, 0, 0);  // unknown: no cells to stand on
  using Case = std::tuple<int, int, int>;
  for (auto [x, y, n] : {Case{200, 200, 2}, Case{204, 200, 4}, Case{240, 240, 4},
                         Case{280, 200, -1}, Case{0, 0, 0}, Case{40, 40, 0}}) {
    PlayerAt(x, y);
    EXPECT_EQ(FindPlatformUnderPlayer(), n) << x << "," << y;
  }
  // During a carry the Player is 4 pixels ahead of the platform: the same one is found.
  PlatformTable.x[1] = 404;
  PlayerAt(448, 400);
  EXPECT_EQ(FindPlatformUnderPlayer(), 1);
  // Distances between extreme positions do not wrap: 2^32 - 1 pixels are not 1.
  PlatformTable.x[4] = INT_MAX;
  PlatformTable.y[4] = INT_MIN;
  PlayerAt(INT_MIN, INT_MIN);
  EXPECT_EQ(FindPlatformUnderPlayer(), -1);
  PlayerAt(INT_MAX, INT_MIN);
  EXPECT_EQ(FindPlatformUnderPlayer(), 4);
}

}  // namespace
