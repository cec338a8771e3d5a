// Small painting helpers for the art tool: colours, seamless noise, masks with outlines.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/surface.h"
#include "tools/common/prng.h"

struct Rgb {
  double r, g, b;
};

// The transparent colour of every sprite, and the colour of the sheets' grid lines.
inline constexpr std::uint32_t Transparent = 0x000000;
inline constexpr std::uint32_t GridLineColour = 0xFF00FF;

// A packed 0x00RRGGBB pixel, never pure black: a colour meant to be dark still shows.
std::uint32_t Pack(Rgb c);
Rgb Mix(Rgb a, Rgb b, double t);
Rgb Scale(Rgb c, double f);

// A value-noise field in [-1, 1], smooth between `cells` x `cells` random lattice points
// spread over a period x period square, and repeating with that period both ways: a tile
// painted from it meets its neighbours without a seam.
struct TileNoise {
  int period;
  int cells;
  std::vector<double> lattice;
};
TileNoise MakeTileNoise(Prng& prng, int period, int cells);
double SampleNoise(const TileNoise& noise, double x, double y);

// A w x h mask of booleans.
struct Mask {
  int width;
  int height;
  std::vector<std::uint8_t> bits;
};
Mask MakeMask(int width, int height);
bool At(const Mask& m, int x, int y);  // false off the mask
void Set(Mask& m, int x, int y, bool on = true);
// Pixels not in the mask but within `radius` (Chebyshev) of one that is.
Mask Ring(const Mask& m, int radius);
// Shapes added to a mask, in pixel-centre coordinates.
void AddCapsule(Mask& m, double x0, double y0, double x1, double y1, double radius);
void AddEllipse(Mask& m, double cx, double cy, double rx, double ry);
void AddRect(Mask& m, double left, double top, double right, double bottom);
void Subtract(Mask& m, const Mask& cut);
Mask Union(const Mask& a, const Mask& b);

// Euclidean distance from each pixel of the mask to the nearest pixel outside it (off the mask
// counts as outside), capped at `cap`; 0 outside. Also the direction to that pixel.
struct DistanceField {
  int width;
  int height;
  std::vector<double> distance;
  std::vector<double> towardX;  // unit vector to the nearest outside pixel
  std::vector<double> towardY;
};
DistanceField MakeDistanceField(const Mask& m, int cap);

// A surface of w x h filled with one colour.
platform::Surface MakeSurface(int width, int height, std::uint32_t fill);
// Copies `cell` into `sheet` at the pixel position.
void PutCell(platform::Surface& sheet, const platform::Surface& cell, int x, int y);
