// Image and sound files written to order, odd ones included (padded rows, long headers, missing
// chunks, sizes that lie): the one writer of both formats for the fuzzers' seeds and the
// loaders' tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace fuzz {

using Bytes = std::vector<std::uint8_t>;

// Channel c (0 blue, 1 green, 2 red) of pixel (x, y) of every written image: all pixels differ
// and none is black.
inline std::uint8_t ImageChannel(int x, int y, int c) {
  return std::uint8_t(c == 0 ? 10 * x + y + 1 : c == 1 ? x + 20 * y + 2 : 0x77);
}

struct BmpLayout {
  std::int32_t width = 5;   // 15 bytes a row: one byte of padding in the file
  std::int32_t height = 2;  // negative: rows stored top row first
  std::uint32_t headerSize = 40;
  std::uint32_t gap = 0;  // bytes between the headers and the pixels
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::uint16_t type = 0x4D42;
  std::size_t cut = 0;  // bytes taken off the end
};
Bytes MakeBmp(const BmpLayout& layout);

struct WavLayout {
  const char* form = "WAVE";
  bool junkFirst = false;  // a chunk of another kind before the format
  std::uint16_t tag = 1;   // 1: PCM
  std::uint16_t channels = 1;
  std::uint32_t rate = 11025;
  std::uint16_t bits = 8;
  std::uint32_t formatBytes = 18;  // 16 leaves out the last field
  bool list = false;               // an odd-sized LIST chunk between the format and the data
  bool data = true;
  Bytes samples = {0x80, 0x81, 0x7F, 0x90};
  std::uint32_t extraStated = 0;  // added to the data chunk's stated size
};
Bytes MakeWav(const WavLayout& layout);

}  // namespace fuzz
