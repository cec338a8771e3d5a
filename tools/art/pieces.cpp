// The 40 x 40 pieces: land and water tiles, the ball, the Player and the banner letters.

#include <algorithm>
#include <cmath>

#include "tools/art/art.h"
#include "tools/art/figure.h"
#include "tools/art/paint.h"

namespace {

constexpr int S = PieceSide;

// The palette.
constexpr Rgb GrassLight{150, 196, 84};
constexpr Rgb GrassDark{92, 150, 58};
constexpr Rgb BladeDark{70, 122, 44};
constexpr Rgb BladeLight{178, 214, 104};
constexpr Rgb WaterDeep{28, 98, 152};
constexpr Rgb WaterShallow{46, 134, 178};
constexpr Rgb WaveLight{150, 210, 232};
constexpr Rgb WaveShade{24, 86, 138};
constexpr Rgb BallDark{230, 136, 16};  // light enough to stand out on grass without red
constexpr Rgb BallLight{255, 214, 48};
constexpr Rgb BallOutline{92, 36, 6};
constexpr Rgb LetterTop{255, 240, 120};
constexpr Rgb LetterBottom{255, 150, 20};
constexpr Rgb LetterBevel{255, 252, 214};
constexpr Rgb LetterOutline{112, 36, 4};

std::uint32_t& Pixel(platform::Surface& s, int x, int y) {
  return s.pixels[std::size_t(y * s.width + x)];
}

// Paints one of `count` short marks at a random place, wrapping at the tile's edges so that the
// mark continues on the neighbouring tile.
void PutWrapped(platform::Surface& s, int x, int y, std::uint32_t colour) {
  Pixel(s, ((x % S) + S) % S, ((y % S) + S) % S) = colour;
}

}  // namespace

platform::Surface PaintLandTile() {
  Prng prng = SeededPrng(0x1A4D);
  const TileNoise broad = MakeTileNoise(prng, S, 4);
  const TileNoise fine = MakeTileNoise(prng, S, 10);
  platform::Surface s = MakeSurface(S, S, 0);
  for (int y = 0; y < S; ++y) {
    for (int x = 0; x < S; ++x) {
      const double n = 0.6 * SampleNoise(broad, x, y) + 0.4 * SampleNoise(fine, x, y);
      Pixel(s, x, y) = Pack(Mix(GrassDark, GrassLight, 0.5 + 0.45 * n));
    }
  }
  // Blades of grass: short upright strokes, dark with a light tip.
  for (int i = 0; i < 34; ++i) {
    const int x = NextInt(prng, S);
    const int y = NextInt(prng, S);
    const int height = 2 + NextInt(prng, 2);
    const int lean = NextInt(prng, 3) - 1;
    for (int k = 0; k < height; ++k) {
      PutWrapped(s, x + (k == height - 1 ? lean : 0), y - k, Pack(BladeDark));
    }
    PutWrapped(s, x + lean, y - height, Pack(BladeLight));
  }
  // A few sunlit specks.
  for (int i = 0; i < 10; ++i) {
    PutWrapped(s, NextInt(prng, S), NextInt(prng, S), Pack(Mix(BladeLight, {235, 230, 150}, 0.5)));
  }
  return s;
}

platform::Surface PaintWaterTile() {
  Prng prng = SeededPrng(0x3A7E2);
  const TileNoise broad = MakeTileNoise(prng, S, 4);
  const TileNoise fine = MakeTileNoise(prng, S, 8);
  platform::Surface s = MakeSurface(S, S, 0);
  for (int y = 0; y < S; ++y) {
    for (int x = 0; x < S; ++x) {
      // Gentle diagonal swell, periodic over the tile, broken up by the noise.
      const double swell = std::sin(2 * 3.14159265358979 * (x + 2 * y) / S);
      const double n =
          0.45 * SampleNoise(broad, x, y) + 0.25 * SampleNoise(fine, x, y) + 0.2 * swell;
      Pixel(s, x, y) = Pack(Mix(WaterDeep, WaterShallow, 0.5 + 0.5 * n));
    }
  }
  // Wave crests: small arcs, light on top with a darker trough under them. They are placed on
  // a loose grid so that they never clump, and wrap at the edges.
  const int crests[][2] = {{4, 6}, {22, 3}, {13, 16}, {31, 19}, {6, 29}, {24, 33}};
  for (const auto& c : crests) {
    const int cx = c[0] + NextInt(prng, 3);
    const int cy = c[1] + NextInt(prng, 3);
    const int half = 3 + NextInt(prng, 2);
    for (int dx = -half; dx <= half; ++dx) {
      const int lift = (dx * dx) / (half * 2 + 1);  // 0 in the middle, 1 or 2 at the ends
      PutWrapped(s, cx + dx, cy + lift, Pack(WaveLight));
      if (std::abs(dx) < half) PutWrapped(s, cx + dx, cy + lift + 1, Pack(WaveShade));
    }
  }
  return s;
}

platform::Surface PaintBall() {
  platform::Surface s = MakeSurface(S, S, Transparent);
  const double cx = 19.5, cy = 19.5, r = 12.5;
  // Light from the upper left, towards the viewer.
  const double lx = -0.48, ly = -0.6, lz = 0.64;
  for (int y = 0; y < S; ++y) {
    for (int x = 0; x < S; ++x) {
      const double dx = (x - cx) / r, dy = (y - cy) / r;
      const double d2 = dx * dx + dy * dy;
      const double d = std::sqrt(d2) * r;
      if (d > r + 0.3) continue;
      if (d > r - 1.6) {
        Pixel(s, x, y) = Pack(BallOutline);
        continue;
      }
      const double nz = std::sqrt(std::max(0.0, 1 - d2));
      const double diffuse = std::max(0.0, dx * lx + dy * ly + nz * lz);
      // Reflection of the light about the normal, seen from the front.
      const double dot = dx * lx + dy * ly + nz * lz;
      const double rz = 2 * dot * nz - lz;
      const double specular = std::pow(std::max(0.0, rz), 24);
      Rgb c = Mix(BallDark, BallLight, std::min(1.0, 0.15 + 0.95 * diffuse));
      c = Mix(c, {255, 255, 240}, std::min(1.0, specular * 1.2));
      // A warm rim where the sphere turns away, so it reads as round against the water.
      c = Mix(c, {232, 110, 20}, 0.35 * std::pow(std::sqrt(d2), 6));
      Pixel(s, x, y) = Pack(c);
    }
  }
  return s;
}

platform::Surface PaintPlayer() {
  // The figure sampled at each pixel's centre, with an outline one pixel wide.
  const Figure& player = PlayerFigure();
  platform::Surface s = MakeSurface(S, S, Transparent);
  Mask body = MakeMask(S, S);
  for (int y = 0; y < S; ++y) {
    for (int x = 0; x < S; ++x) {
      if (const auto c = BodyColourAt(player, x, y)) {
        Pixel(s, x, y) = Pack(*c);
        Set(body, x, y);
      }
    }
  }
  const Mask outline = Ring(body, 1);
  for (int y = 0; y < S; ++y) {
    for (int x = 0; x < S; ++x) {
      if (At(outline, x, y)) Pixel(s, x, y) = Pack(player.outline);
    }
  }
  return s;
}

namespace {

// The letter shapes, on a 40 x 40 grid with the strokes 7 to 8 pixels thick, kept inside
// columns 6..34 so that the banner's overlapping images do not run into each other.
Mask LetterShape(char letter) {
  Mask m = MakeMask(S, S);
  switch (letter) {
    case 'W':
      AddCapsule(m, 8, 8, 12.5, 32, 3.6);
      AddCapsule(m, 12.5, 32, 20, 16, 3.3);
      AddCapsule(m, 20, 16, 27.5, 32, 3.3);
      AddCapsule(m, 27.5, 32, 32, 8, 3.6);
      break;
    case 'E':
      AddRect(m, 9, 6, 16, 34);
      AddRect(m, 9, 6, 31, 12);
      AddRect(m, 9, 17, 27, 23);
      AddRect(m, 9, 28, 31, 34);
      break;
    case 'L':
      AddRect(m, 10, 6, 17, 34);
      AddRect(m, 10, 28, 30, 34);
      break;
    case 'D': {
      AddRect(m, 8, 6, 20, 34);
      AddEllipse(m, 19, 20, 13.5, 14.6);
      Mask hole = MakeMask(S, S);
      AddRect(hole, 15.5, 13, 19.5, 27);
      AddEllipse(hole, 19.5, 20, 6.2, 7);
      Subtract(m, hole);
      break;
    }
    case 'O': {
      AddEllipse(m, 20, 20, 13.8, 14.8);
      Mask hole = MakeMask(S, S);
      AddEllipse(hole, 20, 20, 6.6, 7.8);
      Subtract(m, hole);
      break;
    }
    case 'N':
      AddRect(m, 8, 6, 15, 34);
      AddRect(m, 25, 6, 32, 34);
      AddCapsule(m, 11.5, 8.5, 28.5, 31.5, 3.8);
      break;
    case '!':
      AddCapsule(m, 20, 9, 20, 22, 4.2);
      AddRect(m, 16, 6, 24, 10);
      AddEllipse(m, 20, 30.5, 4.1, 4.1);
      break;
    default:
      break;
  }
  return m;
}

}  // namespace

platform::Surface PaintBannerLetter(char letter) {
  const Mask fill = LetterShape(letter);
  const Mask outline = Ring(fill, 2);
  platform::Surface s = MakeSurface(S, S, Transparent);
  for (int y = 0; y < S; ++y) {
    for (int x = 0; x < S; ++x) {
      if (At(outline, x, y)) {
        Pixel(s, x, y) = Pack(LetterOutline);
      } else if (At(fill, x, y)) {
        Rgb c = Mix(LetterTop, LetterBottom, std::clamp((y - 6) / 28.0, 0.0, 1.0));
        // A bevel: light along the top and left faces of every stroke, shade along the bottom.
        if (!At(fill, x, y - 1) || !At(fill, x - 1, y)) c = LetterBevel;
        if (!At(fill, x, y + 1)) c = Mix(c, LetterOutline, 0.35);
        Pixel(s, x, y) = Pack(c);
      }
    }
  }
  return s;
}

platform::Surface PaintPiecesSheet() {
  platform::Surface sheet = MakeSurface(PiecesSheetWidth, PiecesSheetHeight, GridLineColour);
  // Cells with nothing in them are transparent.
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 8; ++column) {
      PutCell(sheet, MakeSurface(S, S, Transparent), CellOrigin(column, S), CellOrigin(row, S));
    }
  }
  PutCell(sheet, PaintLandTile(), CellOrigin(0, S), CellOrigin(0, S));
  PutCell(sheet, PaintBall(), CellOrigin(1, S), CellOrigin(0, S));
  PutCell(sheet, PaintPlayer(), CellOrigin(2, S), CellOrigin(0, S));
  PutCell(sheet, PaintWaterTile(), CellOrigin(0, S), CellOrigin(1, S));
  const char banner[] = "WELDON!";
  for (int i = 0; i < 7; ++i) {
    PutCell(sheet, PaintBannerLetter(banner[i]), CellOrigin(i + 1, S), CellOrigin(1, S));
  }
  return sheet;
}
