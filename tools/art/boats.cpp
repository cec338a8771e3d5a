// The nine platforms: blue rafts of planks, each following its type's cells in the 3 x 3 box.
// Neighbouring cells of a shape are one raft (the planks run on across them); the dark rim runs
// only along the shape's outer edges, a couple of pixels in from the cell borders so that water
// shows between a raft and whatever lies next to it.

#include <cmath>

#include "board/platform_shapes.h"
#include "tools/art/art.h"
#include "tools/art/paint.h"

namespace {

constexpr int S = PlatformSide;
constexpr int Cell = PieceSide;
constexpr int Margin = 2;        // water between the raft and its cells' outer edges
constexpr int CornerRadius = 5;  // outer corners are rounded, inner ones stay sharp
constexpr int RimWidth = 2;
constexpr int BevelWidth = 2;
constexpr int PlankHeight = 8;

// Pale planks: lighter than both the water and the grass, so that a raft stands apart from
// either by brightness, not by hue alone (for colour-blind players).
constexpr Rgb PlankA{174, 210, 252};
constexpr Rgb PlankB{198, 228, 255};
constexpr Rgb PlankGap{24, 54, 118};
constexpr Rgb Rim{16, 34, 86};
constexpr Rgb BevelLight{226, 240, 255};
constexpr Rgb BevelShade{36, 76, 152};
constexpr Rgb Bolt{206, 222, 240};
constexpr Rgb BoltShade{30, 60, 120};

bool Occupied(const PlatformRecord& shape, int x, int y) {
  if (x < 0 || y < 0 || x >= S || y >= S) return false;
  return shape.shape[x / Cell][y / Cell] != 0;
}

// The raft's outline: the shape's cells, pulled in by the margin along outer edges, with the
// outer corners rounded.
Mask RaftMask(const PlatformRecord& shape) {
  Mask cells = MakeMask(S, S);
  for (int y = 0; y < S; ++y) {
    for (int x = 0; x < S; ++x) Set(cells, x, y, Occupied(shape, x, y));
  }
  const DistanceField inside = MakeDistanceField(cells, Margin + CornerRadius + 2);
  Mask core = MakeMask(S, S);
  for (int y = 0; y < S; ++y) {
    for (int x = 0; x < S; ++x) {
      Set(core, x, y, inside.distance[std::size_t(y * S + x)] > Margin + CornerRadius);
    }
  }
  // Grow the core back by the corner radius: straight edges return to the margin, convex
  // corners come back round.
  Mask raft = MakeMask(S, S);
  for (int y = 0; y < S; ++y) {
    for (int x = 0; x < S; ++x) {
      bool near = false;
      for (int dy = -CornerRadius; dy <= CornerRadius && !near; ++dy) {
        for (int dx = -CornerRadius; dx <= CornerRadius && !near; ++dx) {
          near = dx * dx + dy * dy <= CornerRadius * CornerRadius && At(core, x + dx, y + dy);
        }
      }
      Set(raft, x, y, near);
    }
  }
  return raft;
}

}  // namespace

platform::Surface PaintPlatform(int type) {
  const PlatformRecord& shape = PlatformShapeOf(type);
  const Mask raft = RaftMask(shape);
  const DistanceField edge = MakeDistanceField(raft, RimWidth + BevelWidth + 1);
  Prng prng = SeededPrng(0xB0A7 + std::uint64_t(type));
  const TileNoise grain = MakeTileNoise(prng, S, 12);

  // Each plank row has its own tint and its own joints, staggered from the row above.
  constexpr int PlankRows = S / PlankHeight + 1;
  double tint[PlankRows];
  int jointOffset[PlankRows];
  for (int i = 0; i < PlankRows; ++i) {
    tint[i] = NextRange(prng, 0.25, 0.85);
    jointOffset[i] = (i * 23 + NextInt(prng, 9)) % Cell;
  }

  platform::Surface s = MakeSurface(S, S, Transparent);
  auto put = [&](int x, int y, Rgb c) {
    if (At(raft, x, y)) s.pixels[std::size_t(y * S + x)] = Pack(c);
  };
  for (int y = 0; y < S; ++y) {
    for (int x = 0; x < S; ++x) {
      if (!At(raft, x, y)) continue;
      const std::size_t i = std::size_t(y * S + x);
      const double d = edge.distance[i];
      if (d <= RimWidth) {
        put(x, y, Rim);
        continue;
      }
      const int row = y / PlankHeight;
      const int inRow = y % PlankHeight;
      const int jointX = ((x - jointOffset[row]) % Cell + Cell) % Cell;
      Rgb c = Mix(PlankA, PlankB, tint[row]);
      // Grain: long streaks along the plank.
      c = Scale(c, 1 + 0.07 * SampleNoise(grain, x * 0.35, y * 3.0));
      if (inRow == 0)
        c = PlankGap;
      else if (inRow == 1)
        c = Mix(c, BevelLight, 0.35);  // the lit top of each plank
      else if (inRow == PlankHeight - 1)
        c = Mix(c, PlankGap, 0.3);
      if (jointX == 0 && inRow != 0) c = PlankGap;
      if (d <= RimWidth + BevelWidth) {
        // Raised edge, lit from the upper left.
        const double facing = -(edge.towardX[i] + edge.towardY[i]);
        c = facing > 0 ? Mix(c, BevelLight, 0.55) : Mix(c, BevelShade, 0.55);
      }
      put(x, y, c);
    }
  }
  // Bolts on both sides of every joint, in the middle of the plank.
  for (int row = 0; row < PlankRows; ++row) {
    const int y = row * PlankHeight + PlankHeight / 2;
    for (int x = jointOffset[row]; x < S; x += Cell) {
      for (int side : {-3, 3}) {
        const int bx = x + side;
        if (edge.distance.size() > std::size_t(y * S + bx) && bx >= 0 && bx < S && y < S &&
            edge.distance[std::size_t(y * S + bx)] > RimWidth + BevelWidth) {
          put(bx, y, Bolt);
          put(bx, y + 1, BoltShade);
        }
      }
    }
  }
  return s;
}

platform::Surface PaintBoatsSheet() {
  platform::Surface sheet = MakeSurface(BoatsSheetSide, BoatsSheetSide, GridLineColour);
  for (int type = 0; type < 9; ++type) {
    PutCell(sheet, PaintPlatform(type), CellOrigin(type / 3, S), CellOrigin(type % 3, S));
  }
  return sheet;
}
