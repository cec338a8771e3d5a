#include "tools/art/paint.h"

#include <algorithm>
#include <cmath>

std::uint32_t Pack(Rgb c) {
  auto channel = [](double v) { return std::uint32_t(std::clamp(std::lround(v), 0l, 255l)); };
  const std::uint32_t packed = channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
  return packed == Transparent ? 0x000001 : packed;
}

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb c, double f) {
  return {c.r * f, c.g * f, c.b * f};
}

TileNoise MakeTileNoise(Prng& prng, int period, int cells) {
  TileNoise n{period, cells, std::vector<double>(std::size_t(cells * cells))};
  for (double& v : n.lattice) v = NextRange(prng, -1, 1);
  return n;
}

double SampleNoise(const TileNoise& noise, double x, double y) {
  const double u = x * noise.cells / noise.period;
  const double v = y * noise.cells / noise.period;
  const double fu = std::floor(u);
  const double fv = std::floor(v);
  auto wrap = [&](double i) {
    const int k = int(i) % noise.cells;
    return k < 0 ? k + noise.cells : k;
  };
  const int x0 = wrap(fu), x1 = wrap(fu + 1), y0 = wrap(fv), y1 = wrap(fv + 1);
  auto smooth = [](double t) { return t * t * (3 - 2 * t); };
  const double tx = smooth(u - fu);
  const double ty = smooth(v - fv);
  auto at = [&](int i, int j) { return noise.lattice[std::size_t(j * noise.cells + i)]; };
  const double top = at(x0, y0) + (at(x1, y0) - at(x0, y0)) * tx;
  const double bottom = at(x0, y1) + (at(x1, y1) - at(x0, y1)) * tx;
  return top + (bottom - top) * ty;
}

Mask MakeMask(int width, int height) {
  return Mask{width, height, std::vector<std::uint8_t>(std::size_t(width * height), 0)};
}

bool At(const Mask& m, int x, int y) {
  return x >= 0 && y >= 0 && x < m.width && y < m.height &&
         m.bits[std::size_t(y * m.width + x)] != 0;
}

void Set(Mask& m, int x, int y, bool on) {
  if (x >= 0 && y >= 0 && x < m.width && y < m.height) {
    m.bits[std::size_t(y * m.width + x)] = on ? 1 : 0;
  }
}

Mask Ring(const Mask& m, int radius) {
  Mask ring = MakeMask(m.width, m.height);
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      if (At(m, x, y)) continue;
      bool near = false;
      for (int dy = -radius; dy <= radius && !near; ++dy) {
        for (int dx = -radius; dx <= radius && !near; ++dx) near = At(m, x + dx, y + dy);
      }
      Set(ring, x, y, near);
    }
  }
  return ring;
}

void AddCapsule(Mask& m, double x0, double y0, double x1, double y1, double radius) {
  const double dx = x1 - x0, dy = y1 - y0;
  const double length2 = dx * dx + dy * dy;
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      double t = length2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / length2 : 0;
      t = std::clamp(t, 0.0, 1.0);
      const double ex = x - (x0 + t * dx), ey = y - (y0 + t * dy);
      if (ex * ex + ey * ey <= radius * radius) Set(m, x, y);
    }
  }
}

void AddEllipse(Mask& m, double cx, double cy, double rx, double ry) {
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      const double u = (x - cx) / rx, v = (y - cy) / ry;
      if (u * u + v * v <= 1) Set(m, x, y);
    }
  }
}

void AddRect(Mask& m, double left, double top, double right, double bottom) {
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      if (x >= left && x <= right && y >= top && y <= bottom) Set(m, x, y);
    }
  }
}

void Subtract(Mask& m, const Mask& cut) {
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      if (At(cut, x, y)) Set(m, x, y, false);
    }
  }
}

Mask Union(const Mask& a, const Mask& b) {
  Mask u = a;
  for (int y = 0; y < u.height; ++y) {
    for (int x = 0; x < u.width; ++x) {
      if (At(b, x, y)) Set(u, x, y);
    }
  }
  return u;
}

DistanceField MakeDistanceField(const Mask& m, int cap) {
  const std::size_t n = std::size_t(m.width * m.height);
  DistanceField f{m.width, m.height, std::vector<double>(n, 0), std::vector<double>(n, 0),
                  std::vector<double>(n, 0)};
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      if (!At(m, x, y)) continue;
      double best = cap;
      double bx = 0, by = 0;
      for (int dy = -cap; dy <= cap; ++dy) {
        for (int dx = -cap; dx <= cap; ++dx) {
          if (At(m, x + dx, y + dy)) continue;
          const double d = std::sqrt(double(dx * dx + dy * dy));
          if (d < best) {
            best = d;
            bx = dx / d;
            by = dy / d;
          }
        }
      }
      const std::size_t i = std::size_t(y * m.width + x);
      f.distance[i] = best;
      f.towardX[i] = bx;
      f.towardY[i] = by;
    }
  }
  return f;
}

platform::Surface MakeSurface(int width, int height, std::uint32_t fill) {
  platform::Surface s;
  s.width = width;
  s.height = height;
  s.pixels.assign(std::size_t(width * height), fill);
  return s;
}

void PutCell(platform::Surface& sheet, const platform::Surface& cell, int x, int y) {
  for (int j = 0; j < cell.height; ++j) {
    for (int i = 0; i < cell.width; ++i) {
      if (x + i < sheet.width && y + j < sheet.height) {
        sheet.pixels[std::size_t((y + j) * sheet.width + x + i)] =
            cell.pixels[std::size_t(j * cell.width + i)];
      }
    }
  }
}
