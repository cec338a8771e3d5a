// Platform shapes: the edge lists must be exactly the cells that lead in each direction, since
// the movement test looks at nothing else.
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "midend/game.h"
#include "platform/headless/headless.h"
#include "tests/test_support.h"

namespace {

using Cells = std::vector<std::pair<int, int>>;

Cells List(const EdgeCell* cells, std::int32_t count) {
  Cells out;
  for (std::int32_t i = 0; i < count; ++i) out.emplace_back(cells[i].dx, cells[i].dy);
  return out;
}

bool Occupied(const PlatformRecord& r, int dx, int dy) {
  return dx >= 0 && dx < 3 && dy >= 0 && dy < 3 && r.shape[dx][dy] == 1;
}

// Sorted: the occupied cells whose neighbour by (stepX, stepY) is not part of the shape.
Cells Leading(const PlatformRecord& r, int stepX, int stepY) {
  Cells out;
  for (int dx = 0; dx < 3; ++dx) {
    for (int dy = 0; dy < 3; ++dy) {
      if (Occupied(r, dx, dy) && !Occupied(r, dx + stepX, dy + stepY)) out.emplace_back(dx, dy);
    }
  }
  return out;
}

Cells SortedList(const EdgeCell* cells, std::int32_t count) {
  Cells out = List(cells, count);
  std::sort(out.begin(), out.end());
  return out;
}

using PlatformShapes = testing_support::FreshProgram;

TEST_F(PlatformShapes, EveryEdgeListHoldsExactlyTheLeadingCells) {
  for (int type = 0; type < ShapeTypes; ++type) {
    SCOPED_TRACE("type " + std::to_string(type));
    const PlatformRecord& r = PlatformShapeOf(type);
    // The box's top-left corner is the platform's position: the shape touches both its edges.
    EXPECT_TRUE(Occupied(r, 0, 0) || Occupied(r, 0, 1) || Occupied(r, 0, 2));
    EXPECT_TRUE(Occupied(r, 0, 0) || Occupied(r, 1, 0) || Occupied(r, 2, 0));
    for (std::int32_t count : {r.leftCount, r.rightCount, r.upCount, r.downCount}) {
      ASSERT_TRUE(count >= 1 && count <= 3);
    }
    EXPECT_EQ(SortedList(r.leftEdge, r.leftCount), Leading(r, -1, 0));
    EXPECT_EQ(SortedList(r.rightEdge, r.rightCount), Leading(r, 1, 0));
    EXPECT_EQ(SortedList(r.upEdge, r.upCount), Leading(r, 0, -1));
    EXPECT_EQ(SortedList(r.downEdge, r.downCount), Leading(r, 0, 1));
  }
  // The stored order, as the movement test walks it.
  const PlatformRecord& arch = PlatformShapeOf(2);
  EXPECT_EQ(List(arch.rightEdge, arch.rightCount), (Cells{{2, 0}, {2, 1}, {0, 1}}));
  EXPECT_EQ(List(arch.downEdge, arch.downCount), (Cells{{0, 1}, {1, 0}, {2, 1}}));
  const PlatformRecord& tee = PlatformShapeOf(1);
  EXPECT_EQ(List(tee.downEdge, tee.downCount), (Cells{{2, 2}, {0, 1}, {1, 1}}));
}

TEST_F(PlatformShapes, BuildingCopiesTheTypeAndAnUnknownTypeHasNoShape) {
  PlatformRecord slot;
  std::memset(&slot, 0x7F, sizeof slot);
  EXPECT_TRUE(BuildPlatformShape(&slot, 7));
  const PlatformRecord& bar = PlatformShapeOf(7);
  EXPECT_EQ(std::memcmp(slot.shape, bar.shape, sizeof slot.shape), 0);
  EXPECT_EQ(List(slot.upEdge, slot.upCount), (Cells{{0, 0}}));
  EXPECT_EQ(List(slot.leftEdge, slot.leftCount), List(bar.leftEdge, bar.leftCount));
  EXPECT_FALSE(BuildPlatformShape(&slot, 9));
  EXPECT_EQ(slot, PlatformRecord{});
}

}  // namespace
