// Sharp scaling of the board: weights for each output column and row, then two passes.
#include "platform/sharp_scale.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// The weights of one axis: which source pixels each output pixel is made of.
void AxisTaps(SharpScaler& s) {
  s.taps.assign(std::size_t(s.side), {});
  s.weights.clear();
  const auto add = [&s](int x, int first, const std::vector<int>& w) {
    s.taps[std::size_t(x)] = {first, int(w.size()), int(s.weights.size())};
    for (int v : w) s.weights.push_back(std::uint16_t(v));
  };
  if (s.side >= s.source) {
    // The source blown up k times (each pixel a block of k), sampled at the output's centres
    // with a linear blend between the two nearest pixels of the blown-up image: inside a block
    // both are the same source pixel.
    const int k = (s.side + s.source - 1) / s.source;
    const double big = double(k) * s.source;
    for (int x = 0; x < s.side; ++x) {
      const double u = std::clamp((x + 0.5) * big / s.side - 0.5, 0.0, big - 1);
      const int i = int(u);
      const int w = int(std::lround((u - i) * 256));
      const int b0 = i / k;
      const int b1 = std::min(i + 1, int(big) - 1) / k;
      if (b0 == b1 || w == 0) {
        add(x, b0, {256});
      } else if (w == 256) {
        add(x, b1, {256});
      } else {
        add(x, b0, {256 - w, w});
      }
    }
    return;
  }
  // Smaller than the source: each output pixel the average of the span it covers.
  for (int x = 0; x < s.side; ++x) {
    const double a = double(x) * s.source / s.side;
    const double b = double(x + 1) * s.source / s.side;
    const int first = int(a);
    const int last = std::min(s.source - 1, int(std::ceil(b)) - 1);
    std::vector<int> w;
    int sum = 0;
    for (int i = first; i <= last; ++i) {
      const double cover = std::min(b, i + 1.0) - std::max(a, double(i));
      w.push_back(int(std::lround(cover / (b - a) * 256)));
      sum += w.back();
    }
    *std::max_element(w.begin(), w.end()) += 256 - sum;  // rounding: the sum stays 256
    add(x, first, w);
  }
}

// A weighed sum of pixels, red and blue together and green apart (weights total 256).
struct Sum {
  std::uint32_t rb = 0x800080, g = 0x8000;  // rounding
  void Add(std::uint32_t pixel, std::uint32_t weight) {
    rb += (pixel & 0xFF00FF) * weight;
    g += (pixel & 0x00FF00) * weight;
  }
  std::uint32_t Pixel() const { return ((rb >> 8) & 0xFF00FF) | ((g >> 8) & 0x00FF00); }
};

}  // namespace

void PrepareSharpScaler(SharpScaler& scaler, int source, int side) {
  if (scaler.source == source && scaler.side == side) return;
  scaler.source = std::max(source, 1);
  scaler.side = std::max(side, 1);
  AxisTaps(scaler);
  scaler.rows.assign(std::size_t(scaler.source) * std::size_t(scaler.side), 0);
  scaler.out.assign(std::size_t(scaler.side) * std::size_t(scaler.side), 0);
}

void SharpScale(SharpScaler& s, const std::uint32_t* frame, int first, int last, int* outFirst,
                int* outLast) {
  *outFirst = s.side;
  *outLast = -1;
  first = std::max(first, 0);
  last = std::min(last, s.source - 1);
  if (s.taps.empty() || last < first) return;
  const std::size_t side = std::size_t(s.side);
  for (int r = first; r <= last; ++r) {
    const std::uint32_t* from = frame + std::size_t(r) * std::size_t(s.source);
    std::uint32_t* to = &s.rows[std::size_t(r) * side];
    for (std::size_t x = 0; x < side; ++x) {
      const SharpScaler::Taps& t = s.taps[x];
      Sum sum;
      for (int i = 0; i < t.count; ++i) sum.Add(from[t.first + i], s.weights[t.offset + i]);
      to[x] = sum.Pixel();
    }
  }
  for (std::size_t y = 0; y < side; ++y) {
    const SharpScaler::Taps& t = s.taps[y];
    if (t.first > last || t.first + t.count - 1 < first) continue;
    *outFirst = std::min(*outFirst, int(y));
    *outLast = int(y);
    std::uint32_t* to = &s.out[y * side];
    const std::uint32_t* a = &s.rows[std::size_t(t.first) * side];
    if (t.count == 1) {  // the rows inside a block: a copy
      std::copy(a, a + side, to);
    } else if (t.count == 2) {  // along a block's edge: one blend for the whole row
      const std::uint32_t* b = a + side;
      const std::uint32_t wa = s.weights[t.offset], wb = s.weights[t.offset + 1];
      for (std::size_t x = 0; x < side; ++x) {
        Sum sum;
        sum.Add(a[x], wa);
        sum.Add(b[x], wb);
        to[x] = sum.Pixel();
      }
    } else {
      for (std::size_t x = 0; x < side; ++x) {
        Sum sum;
        for (int i = 0; i < t.count; ++i)
          sum.Add(a[std::size_t(i) * side + x], s.weights[t.offset + i]);
        to[x] = sum.Pixel();
      }
    }
  }
}

}  // namespace platform
