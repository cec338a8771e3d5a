// The nine platform shapes: which cells of a 3 x 3 box each type covers, and for each direction
// the cells that lead when it moves that way.
#pragma once

#include <cstdint>

inline constexpr std::int32_t DirLeft = 1;
inline constexpr std::int32_t DirUp = 2;
inline constexpr std::int32_t DirRight = 3;
inline constexpr std::int32_t DirDown = 4;

// Types 0..ShapeTypes-1 have a shape.
inline constexpr std::int32_t ShapeTypes = 9;

struct EdgeCell {
  std::int32_t dx;
  std::int32_t dy;
  bool operator==(const EdgeCell&) const = default;
};

struct PlatformRecord {
  std::int32_t shape[3][3];  // [dx][dy], 1 where the box cell is part of the platform
  std::int32_t leftCount;
  std::int32_t rightCount;
  std::int32_t upCount;
  std::int32_t downCount;
  EdgeCell leftEdge[3];
  EdgeCell rightEdge[3];
  EdgeCell upEdge[3];
  EdgeCell downEdge[3];
  bool operator==(const PlatformRecord&) const = default;
};

// Writes the type's shape and edge lists into a platform's record. A type outside 0..8 gives
// false (the game then says "Hov!") and an empty shape with no edges, so that the platform is
// never marked, found, moved or drawn.
bool BuildPlatformShape(PlatformRecord* to, std::int32_t type);

// The fixed shape of a type 0..8 (for tools that draw or check platforms); an empty record with
// zero counts for any other type.
const PlatformRecord& PlatformShapeOf(std::int32_t type);
