// The nine platform shapes and their edge lists.
#include "board/platform_shapes.h"

namespace {

struct EdgeList {
  std::int32_t count;
  EdgeCell cells[3];
};

// A type from its picture (rows top to bottom, 'X' occupied) and its four edge lists in the
// order they are stored and tested.
constexpr PlatformRecord MakeShape(const char* top, const char* middle, const char* bottom,
                                   EdgeList left, EdgeList right, EdgeList up, EdgeList down) {
  PlatformRecord r{};
  const char* rows[3] = {top, middle, bottom};
  for (int dy = 0; dy < 3; ++dy) {
    for (int dx = 0; dx < 3; ++dx) r.shape[dx][dy] = rows[dy][dx] == 'X' ? 1 : 0;
  }
  r.leftCount = left.count;
  r.rightCount = right.count;
  r.upCount = up.count;
  r.downCount = down.count;
  for (int i = 0; i < 3; ++i) {
    r.leftEdge[i] = left.cells[i];
    r.rightEdge[i] = right.cells[i];
    r.upEdge[i] = up.cells[i];
    r.downEdge[i] = down.cells[i];
  }
  return r;
}

// clang-format off
constexpr PlatformRecord Shapes[ShapeTypes] = {
  // 0: an L lying on its back
  MakeShape("XXX", "X..", "...",
            {2, {{0, 0}, {0, 1}}}, {2, {{2, 0}, {0, 1}}},
            {3, {{0, 0}, {1, 0}, {2, 0}}}, {3, {{1, 0}, {2, 0}, {0, 1}}}),
  // 1: a T pointing left
  MakeShape("..X", "XXX", "..X",
            {3, {{2, 0}, {0, 1}, {2, 2}}}, {3, {{2, 0}, {2, 1}, {2, 2}}},
            {3, {{2, 0}, {0, 1}, {1, 1}}}, {3, {{2, 2}, {0, 1}, {1, 1}}}),
  // 2: an arch
  MakeShape("XXX", "X.X", "...",
            {3, {{0, 0}, {0, 1}, {2, 1}}}, {3, {{2, 0}, {2, 1}, {0, 1}}},
            {3, {{0, 0}, {1, 0}, {2, 0}}}, {3, {{0, 1}, {1, 0}, {2, 1}}}),
  // 3: an L standing
  MakeShape("XX.", "X..", "X..",
            {3, {{0, 0}, {0, 1}, {0, 2}}}, {3, {{1, 0}, {0, 1}, {0, 2}}},
            {2, {{0, 0}, {1, 0}}}, {2, {{1, 0}, {0, 2}}}),
  // 4: a Z
  MakeShape("XX.", ".XX", "...",
            {2, {{0, 0}, {1, 1}}}, {2, {{1, 0}, {2, 1}}},
            {3, {{0, 0}, {1, 0}, {2, 1}}}, {3, {{0, 0}, {1, 1}, {2, 1}}}),
  // 5: the 2 x 2 square
  MakeShape("XX.", "XX.", "...",
            {2, {{0, 0}, {0, 1}}}, {2, {{1, 0}, {1, 1}}},
            {2, {{0, 0}, {1, 0}}}, {2, {{0, 1}, {1, 1}}}),
  // 6: a small corner
  MakeShape("X..", "XX.", "...",
            {2, {{0, 0}, {0, 1}}}, {2, {{0, 0}, {1, 1}}},
            {2, {{0, 0}, {1, 1}}}, {2, {{0, 1}, {1, 1}}}),
  // 7: a bar down the left column
  MakeShape("X..", "X..", "X..",
            {3, {{0, 0}, {0, 1}, {0, 2}}}, {3, {{0, 0}, {0, 1}, {0, 2}}},
            {1, {{0, 0}}}, {1, {{0, 2}}}),
  // 8: a plus
  MakeShape(".X.", "XXX", ".X.",
            {3, {{1, 0}, {0, 1}, {1, 2}}}, {3, {{1, 0}, {2, 1}, {1, 2}}},
            {3, {{0, 1}, {1, 0}, {2, 1}}}, {3, {{0, 1}, {1, 2}, {2, 1}}}),
};
// clang-format on

constexpr PlatformRecord NoShape{};

void CopyEdges(EdgeCell* to, const EdgeCell* from, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) to[i] = from[i];
}

}  // namespace

bool BuildPlatformShape(PlatformRecord* to, std::int32_t type) {
  if (type < 0 || type >= ShapeTypes) {
    // No shape and no edges: such a platform is never marked, found under the Player or moved.
    *to = NoShape;
    return false;
  }
  const PlatformRecord& from = Shapes[type];
  for (int dx = 0; dx < 3; ++dx) {
    for (int dy = 0; dy < 3; ++dy) to->shape[dx][dy] = from.shape[dx][dy];
  }
  to->leftCount = from.leftCount;
  to->rightCount = from.rightCount;
  to->upCount = from.upCount;
  to->downCount = from.downCount;
  // Only the valid entries are written; the rest of each list is never read.
  CopyEdges(to->leftEdge, from.leftEdge, from.leftCount);
  CopyEdges(to->rightEdge, from.rightEdge, from.rightCount);
  CopyEdges(to->upEdge, from.upEdge, from.upCount);
  CopyEdges(to->downEdge, from.downEdge, from.downCount);
  return true;
}

const PlatformRecord& PlatformShapeOf(std::int32_t type) {
  if (type < 0 || type >= ShapeTypes) return NoShape;
  return Shapes[type];
}
