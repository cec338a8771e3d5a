// Platform shapes: the edge lists must be exactly the cells that lead in each direction, since
// the movement test looks at nothing else.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "board/board_state.h"
#include "board/platform_shapes.h"
#include "platform/headless/headless.h"
#include "tests/test_support.h"

namespace {

using Cells = std::vector<std::pair<int, int>>;

Cells List(const EdgeCell* cells, std::int32_t count) {
  Cells out;
  for (std::int32_t i = 0; i < count; ++i) out.emplace_back(cells[i].dx, cells[i].dy);
  return out;
}

Cells Sorted(Cells cells) {
  std::sort(cells.begin(), cells.end());
  return cells;
}

bool Occupied(const PlatformRecord& r, int dx, int dy) {
  return dx >= 0 && dx < 3 && dy >= 0 && dy < 3 && r.shape[dx][dy] == 1;
}

// The occupied cells whose neighbour at (dx + stepX, dy + stepY) is not part of the shape.
Cells Leading(const PlatformRecord& r, int stepX, int stepY) {
  Cells out;
  for (int dx = 0; dx < 3; ++dx) {
    for (int dy = 0; dy < 3; ++dy) {
      if (Occupied(r, dx, dy) && !Occupied(r, dx + stepX, dy + stepY)) out.emplace_back(dx, dy);
    }
  }
  return out;
}

using PlatformShapes = testing_support::FreshProgram;

TEST_F(PlatformShapes, EveryEdgeListHoldsExactlyTheLeadingCells) {
  for (int type = 0; type < ShapeTypes; ++type) {
    SCOPED_TRACE("type " + std::to_string(type));
    const PlatformRecord& r = PlatformShapeOf(type);
    int cells = 0;
    bool leftColumn = false, topRow = false;
    for (int dx = 0; dx < 3; ++dx) {
      for (int dy = 0; dy < 3; ++dy) {
        ASSERT_TRUE(r.shape[dx][dy] == 0 || r.shape[dx][dy] == 1);
        if (r.shape[dx][dy] == 0) continue;
        ++cells;
        leftColumn = leftColumn || dx == 0;
        topRow = topRow || dy == 0;
      }
    }
    EXPECT_GE(cells, 3);
    EXPECT_TRUE(leftColumn && topRow);  // the box's top-left cell is the platform's position
    for (std::int32_t count : {r.leftCount, r.rightCount, r.upCount, r.downCount}) {
      ASSERT_GE(count, 1);
      ASSERT_LE(count, 3);
    }
    EXPECT_EQ(Sorted(List(r.leftEdge, r.leftCount)), Leading(r, -1, 0));
    EXPECT_EQ(Sorted(List(r.rightEdge, r.rightCount)), Leading(r, 1, 0));
    EXPECT_EQ(Sorted(List(r.upEdge, r.upCount)), Leading(r, 0, -1));
    EXPECT_EQ(Sorted(List(r.downEdge, r.downCount)), Leading(r, 0, 1));
  }
}

TEST_F(PlatformShapes, ListsKeepTheirStoredOrder) {
  const PlatformRecord& arch = PlatformShapeOf(2);
  EXPECT_EQ(List(arch.rightEdge, arch.rightCount), (Cells{{2, 0}, {2, 1}, {0, 1}}));
  EXPECT_EQ(List(arch.downEdge, arch.downCount), (Cells{{0, 1}, {1, 0}, {2, 1}}));
  const PlatformRecord& tee = PlatformShapeOf(1);
  EXPECT_EQ(List(tee.downEdge, tee.downCount), (Cells{{2, 2}, {0, 1}, {1, 1}}));
  const PlatformRecord& plus = PlatformShapeOf(8);
  EXPECT_EQ(List(plus.upEdge, plus.upCount), (Cells{{0, 1}, {1, 0}, {2, 1}}));
}

TEST_F(PlatformShapes, BuildingCopiesTheTypeIntoTheSlotAndRebuildingChangesNothing) {
  // Sentinels show which list entries the build writes.
  std::memset(&PlatformTable.record[4], 0x7F, sizeof(PlatformRecord));
  BuildPlatformShape(4, 7);
  const PlatformRecord& slot = PlatformTable.record[4];
  const PlatformRecord& bar = PlatformShapeOf(7);
  EXPECT_EQ(std::memcmp(slot.shape, bar.shape, sizeof slot.shape), 0);
  EXPECT_EQ(slot.upCount, 1);
  EXPECT_EQ(slot.downCount, 1);
  EXPECT_EQ(List(slot.upEdge, 1), (Cells{{0, 0}}));
  EXPECT_EQ(List(slot.downEdge, 1), (Cells{{0, 2}}));
  EXPECT_EQ(slot.upEdge[1].dx, 0x7F7F7F7F);  // beyond the count: untouched
  EXPECT_EQ(List(slot.leftEdge, slot.leftCount), List(bar.leftEdge, bar.leftCount));

  const PlatformRecord before = slot;
  BuildPlatformShape(4, 7);
  EXPECT_EQ(std::memcmp(&before, &slot, sizeof before), 0);
  EXPECT_TRUE(headless::Messages().empty());
}

TEST_F(PlatformShapes, AnUnknownTypeIsReportedAndLeavesAnEmptySlot) {
  for (std::int32_t type : {9, 100, 127, -2, -128}) {
    BuildPlatformShape(3, 5);
    BuildPlatformShape(3, type);
    const PlatformRecord& slot = PlatformTable.record[3];
    for (int dx = 0; dx < 3; ++dx) {
      for (int dy = 0; dy < 3; ++dy) EXPECT_EQ(slot.shape[dx][dy], 0) << type;
    }
    EXPECT_EQ(slot.leftCount + slot.rightCount + slot.upCount + slot.downCount, 0) << type;
    const PlatformRecord& none = PlatformShapeOf(type);
    EXPECT_EQ(none.leftCount + none.rightCount + none.upCount + none.downCount, 0);
    EXPECT_EQ(none.shape[0][0], 0);
  }
  EXPECT_EQ(headless::Messages(), std::vector<std::string>(5, "Hov!"));
}

TEST_F(PlatformShapes, ASlotBeyondTheTableIsNeverWritten) {
  const PlatformTableRecord before = PlatformTable;
  BuildPlatformShape(MaxPlatformsInRecord, 5);
  BuildPlatformShape(0xFFFFFFFFu, 8);
  EXPECT_EQ(std::memcmp(&before, &PlatformTable, sizeof before), 0);
  EXPECT_TRUE(headless::Messages().empty());
}

}  // namespace
