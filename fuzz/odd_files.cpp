#include "fuzz/odd_files.h"

#include <string>
#include <utility>

namespace fuzz {
namespace {

// Built as text: GCC 12 warns falsely about byte vectors grown a little at a time.
void Put(std::string& b, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b += char(v >> (8 * i));
}

}  // namespace

Bytes MakeBmp(const BmpLayout& s) {
  // Sizes out of range still get whole rows, so only the size check can refuse them.
  const int w = s.width > 0 && s.width <= 9000 ? s.width : 1;
  const int h = s.height != 0 && std::abs(s.height) <= 9000 ? std::abs(s.height) : 1;
  const std::uint32_t offset = 14 + s.headerSize + s.gap;
  std::string b;
  Put(b, s.type, 2);
  Put(b, 0, 4);  // the file's size, which no reader trusts
  Put(b, 0, 4);
  for (std::uint32_t v :
       {offset, s.headerSize, std::uint32_t(s.width), std::uint32_t(s.height), 1u}) {
    Put(b, v, 4);
  }
  b.resize(b.size() - 2);  // the plane count has two bytes, not four
  Put(b, s.bitCount, 2);
  Put(b, s.compression, 4);
  b.resize(offset, char(0xEE));  // the rest of the header and the gap, filled with junk
  for (int r = 0; r < h; ++r) {
    const int y = s.height < 0 ? r : h - 1 - r;
    for (int x = 0; x < w; ++x) {
      for (int c = 0; c < 3; ++c) b += char(ImageChannel(x, y, c));
    }
    while ((b.size() - offset) % 4 != 0) b += char(0xEE);
  }
  b.resize(b.size() - s.cut);
  return Bytes(b.begin(), b.end());
}

Bytes MakeWav(const WavLayout& s) {
  std::string b = std::string("RIFF....") + std::string(s.form, 4);  // the size is filled in below
  if (s.junkFirst) b += std::string("junk\4\0\0\0\1\0\1\0", 12);
  b += "fmt ";
  Put(b, s.formatBytes, 4);
  Put(b, s.tag, 2);
  Put(b, s.channels, 2);
  Put(b, s.rate, 4);
  Put(b, s.rate * s.channels * s.bits / 8, 4);
  Put(b, s.channels * s.bits / 8u, 2);
  Put(b, s.bits, 2);
  if (s.formatBytes == 18) Put(b, 0, 2);
  if (s.list) b += std::string("LIST\11\0\0\0INFOICMT\1\0", 18);
  if (s.data) {
    b += "data";
    Put(b, std::uint32_t(s.samples.size()) + s.extraStated, 4);
    b.append(s.samples.begin(), s.samples.end());
  }
  const std::uint32_t formSize = std::uint32_t(b.size() - 8);
  for (int i = 0; i < 4; ++i) b[std::size_t(4 + i)] = char(formSize >> (8 * i));
  return Bytes(b.begin(), b.end());
}

}  // namespace fuzz
