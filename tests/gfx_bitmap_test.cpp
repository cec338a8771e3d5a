#include <gtest/gtest.h>

#include <cstdlib>

#include "gfx/bitmap.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

// Pixel (x, y) of every test image: blue, green, red; all differ, none is black.
std::uint8_t Channel(int x, int y, int c) {
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

Bytes MakeBmp(const BmpLayout& s) {
  // Sizes out of range still get whole rows, so only the size check can refuse them.
  const int w = s.width > 0 && s.width <= 9000 ? s.width : 1;
  const int h = s.height != 0 && std::abs(s.height) <= 9000 ? std::abs(s.height) : 1;
  const std::uint32_t offset = 14 + s.headerSize + s.gap;
  Bytes b;
  Put(b, s.type, 2);
  Put(b, 0, 4);
  Put(b, 0, 4);
  Put(b, offset, 4);
  for (std::uint32_t v : {s.headerSize, std::uint32_t(s.width), std::uint32_t(s.height)}) {
    Put(b, v, 4);
  }
  Put(b, 1, 2);
  Put(b, s.bitCount, 2);
  Put(b, s.compression, 4);
  b.resize(offset, 0xEE);  // the rest of the header and the gap, filled with junk
  for (int r = 0; r < h; ++r) {
    const int y = s.height < 0 ? r : h - 1 - r;
    for (int x = 0; x < w; ++x) {
      for (int c = 0; c < 3; ++c) b.push_back(Channel(x, y, c));
    }
    while ((b.size() - offset) % 4 != 0) b.push_back(0xEE);
  }
  b.resize(b.size() - s.cut);
  return b;
}

void ExpectImage(const BitmapFile& bmp, int w, int h) {
  ASSERT_EQ(bmp.infoHeader.width, w);
  ASSERT_EQ(bmp.infoHeader.height, h);
  ASSERT_EQ(bmp.pixels.size(), std::size_t(w * h * 3));
  for (std::size_t i = 0; i < bmp.pixels.size(); ++i) {
    const int x = int(i / 3) % w;
    const int y = int(i / 3) / w;
    ASSERT_EQ(bmp.pixels[i], Channel(x, y, int(i % 3))) << x << "," << y;
  }
}

class Bitmap : public testing_support::FreshProgram {
 protected:
  std::uint32_t Load(const BmpLayout& layout) {
    testing_support::WriteBytes("t.bmp", MakeBmp(layout));
    return LoadBitmapFile(&bmp_, "t.bmp");
  }
  BitmapFile bmp_{};
};

TEST_F(Bitmap, ReadsPaddedRowsLongHeadersAndBothRowOrdersTopRowFirst) {
  ASSERT_EQ(Load({}), 1u);
  ExpectImage(bmp_, 5, 2);
  EXPECT_EQ(bmp_.infoHeader.imageSize, 30u);
  ASSERT_EQ(Load({.width = 7, .height = 3, .headerSize = 124, .gap = 6}), 1u);
  ExpectImage(bmp_, 7, 3);
  ASSERT_EQ(Load({.width = 4, .height = -3}), 1u);
  ExpectImage(bmp_, 4, 3);
  ASSERT_EQ(Load({.height = 1, .cut = 1}), 1u);  // the last row's padding may be missing
  ExpectImage(bmp_, 5, 1);
}

TEST_F(Bitmap, RefusesWhatItCannotReadAndLeavesTheRecordAlone) {
  ASSERT_EQ(Load({}), 1u);
  const BmpLayout bad[] = {
      {.type = 0x4142},   {.bitCount = 8}, {.bitCount = 32},  {.compression = 1}, {.width = 0},
      {.width = -4},      {.width = 8193}, {.height = 0},     {.height = 8193},   {.height = -8193},
      {.headerSize = 12}, {.cut = 2},      {.gap = 1u << 20},
  };
  for (const BmpLayout& layout : bad) {
    Bytes file = MakeBmp(layout);
    if (layout.gap != 0) file.resize(100);  // the pixel offset lies past the end
    testing_support::WriteBytes("bad.bmp", file);
    EXPECT_EQ(LoadBitmapFile(&bmp_, "bad.bmp"), 0u) << &layout - bad;
  }
  testing_support::WriteBytes("tiny.bmp", Bytes{'B', 'M', 1, 2, 3});
  EXPECT_EQ(LoadBitmapFile(&bmp_, "tiny.bmp"), 0u);
  EXPECT_EQ(LoadBitmapFile(&bmp_, "missing.bmp"), 0u);
  ExpectImage(bmp_, 5, 2);

  EXPECT_EQ(UnloadBitmapFile(&bmp_), 1u);
  EXPECT_EQ(UnloadBitmapFile(&bmp_), 1u);
  EXPECT_TRUE(bmp_.pixels.empty());
}

}  // namespace
