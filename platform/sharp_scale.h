// The board drawn at a size that is no whole multiple of it, pixels kept sharp: in effect it is
// blown up by the next whole factor (each pixel a block) and reduced smoothly from there, so
// every board pixel stays an even, crisp block blended with its neighbour only along its edges.
// Below the board's own size it is reduced by averaging. Both desktop backends draw through it,
// so a scaled board looks the same on Linux and on Windows.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

struct SharpScaler {
  int source = 0;  // the square source's side
  int side = 0;    // the square output's side
  // For each output column (and row): where its weights start in `weights`, and how many.
  struct Taps {
    int first = 0;   // the first source pixel
    int count = 0;   // source pixels weighed
    int offset = 0;  // into weights
  };
  std::vector<Taps> taps;
  std::vector<std::uint16_t> weights;  // out of 256
  std::vector<std::uint32_t> rows;     // each source row scaled across: source x side
  std::vector<std::uint32_t> out;      // side x side, 0x00RRGGBB
};

// Readies the scaler for a source of `source` pixels square and an output of `side`.
void PrepareSharpScaler(SharpScaler& scaler, int source, int side);

// Scales source rows first..last of `frame` (source x source, 0x00RRGGBB) into `out`, and gives
// the output rows that changed: *outFirst..*outLast (none when *outLast < *outFirst).
void SharpScale(SharpScaler& scaler, const std::uint32_t* frame, int first, int last, int* outFirst,
                int* outLast);

}  // namespace platform
