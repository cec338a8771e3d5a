#include <gtest/gtest.h>

#include "fuzz/odd_files.h"
#include "gfx/bitmap.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using fuzz::BmpLayout;
using fuzz::MakeBmp;

void ExpectImage(const BitmapFile& bmp, int w, int h) {
  ASSERT_EQ(bmp.infoHeader.width, w);
  ASSERT_EQ(bmp.infoHeader.height, h);
  ASSERT_EQ(bmp.pixels.size(), std::size_t(w * h * 3));
  for (std::size_t i = 0; i < bmp.pixels.size(); ++i) {
    const int x = int(i / 3) % w;
    const int y = int(i / 3) / w;
    ASSERT_EQ(bmp.pixels[i], fuzz::ImageChannel(x, y, int(i % 3))) << x << "," << y;
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
