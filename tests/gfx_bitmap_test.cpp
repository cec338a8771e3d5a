#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// The colour of pixel (x, y) of the test images: every pixel differs, none is black.
std::uint8_t Blue(int x, int y) {
  return std::uint8_t(10 * x + y + 1);
}
std::uint8_t Green(int x, int y) {
  return std::uint8_t(x + 20 * y + 2);
}
std::uint8_t Red(int, int) {
  return 0x77;
}

struct BmpSpec {
  std::int32_t width = 5;  // 15 bytes a row: one byte of padding in the file
  std::int32_t height = 2;
  std::uint32_t headerSize = 40;
  std::uint32_t gap = 0;  // bytes between the headers and the pixels
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::uint16_t type = 0x4D42;
  std::size_t cut = 0;  // bytes taken off the end
};

// A 24-bit file whose rows are stored in the order the height's sign says.
Bytes MakeBmp(const BmpSpec& s) {
  const int w = s.width > 0 && s.width < 100 ? s.width : 1;
  const int h = s.height < 0 ? -s.height : s.height;
  const int rows = h > 0 && h < 100 ? h : 1;
  const std::uint32_t rowBytes = (std::uint32_t(w) * 3 + 3) & ~3u;
  const std::uint32_t offset = 14 + s.headerSize + s.gap;
  Bytes b;
  Put16(b, s.type);
  Put32(b, offset + rowBytes * std::uint32_t(rows));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, s.headerSize);
  Put32(b, std::uint32_t(s.width));
  Put32(b, std::uint32_t(s.height));
  Put16(b, 1);
  Put16(b, s.bitCount);
  Put32(b, s.compression);
  for (int i = 0; i < 5; ++i) Put32(b, 0);
  b.resize(offset, 0xEE);  // a later header's fields and the gap, filled with junk
  for (int r = 0; r < rows; ++r) {
    const int y = s.height < 0 ? r : rows - 1 - r;
    for (int x = 0; x < w; ++x) {
      b.push_back(Blue(x, y));
      b.push_back(Green(x, y));
      b.push_back(Red(x, y));
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
  EXPECT_EQ(bmp.infoHeader.imageSize, std::uint32_t(w * h * 3));
  EXPECT_EQ(bmp.infoHeader.bitCount, 24);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = &bmp.pixels[std::size_t(3 * (w * y + x))];
      EXPECT_EQ(p[0], Blue(x, y)) << x << "," << y;
      EXPECT_EQ(p[1], Green(x, y)) << x << "," << y;
      EXPECT_EQ(p[2], Red(x, y)) << x << "," << y;
    }
  }
}

class Bitmap : public testing_support::FreshProgram {};

TEST_F(Bitmap, LoadsPaddedBottomUpRowsTopRowFirst) {
  testing_support::WriteBytes("a.bmp", MakeBmp({}));
  BitmapFile bmp{};
  ASSERT_EQ(LoadBitmapFile(&bmp, "a.bmp"), 1u);
  ExpectImage(bmp, 5, 2);

  // One row, and a width that needs no padding.
  BmpSpec one;
  one.width = 4;
  one.height = 1;
  testing_support::WriteBytes("b.bmp", MakeBmp(one));
  BitmapFile row{};
  ASSERT_EQ(LoadBitmapFile(&row, "b.bmp"), 1u);
  ExpectImage(row, 4, 1);
}

TEST_F(Bitmap, HonoursLongHeadersDataOffsetAndTopDownRows) {
  BmpSpec v5;
  v5.width = 7;
  v5.height = 3;
  v5.headerSize = 124;
  v5.gap = 6;
  testing_support::WriteBytes("v5.bmp", MakeBmp(v5));
  BitmapFile bmp{};
  ASSERT_EQ(LoadBitmapFile(&bmp, "v5.bmp"), 1u);
  ExpectImage(bmp, 7, 3);
  EXPECT_EQ(bmp.infoHeader.headerSize, 124u);

  BmpSpec topDown;
  topDown.height = -3;
  testing_support::WriteBytes("td.bmp", MakeBmp(topDown));
  BitmapFile td{};
  ASSERT_EQ(LoadBitmapFile(&td, "td.bmp"), 1u);
  ExpectImage(td, 5, 3);

  // The last row's padding may be missing.
  BmpSpec unpaddedEnd;
  unpaddedEnd.cut = 1;
  testing_support::WriteBytes("c.bmp", MakeBmp(unpaddedEnd));
  BitmapFile c{};
  ASSERT_EQ(LoadBitmapFile(&c, "c.bmp"), 1u);
  ExpectImage(c, 5, 2);
}

TEST_F(Bitmap, RefusesWhatItCannotReadAndLeavesTheRecordAlone) {
  testing_support::WriteBytes("good.bmp", MakeBmp({}));
  BitmapFile bmp{};
  ASSERT_EQ(LoadBitmapFile(&bmp, "good.bmp"), 1u);

  std::vector<std::pair<std::string, BmpSpec>> bad;
  auto add = [&](const std::string& what, auto change) {
    BmpSpec s;
    change(s);
    bad.emplace_back(what, s);
  };
  add("not BM", [](BmpSpec& s) { s.type = 0x4142; });
  add("8-bit", [](BmpSpec& s) { s.bitCount = 8; });
  add("32-bit", [](BmpSpec& s) { s.bitCount = 32; });
  add("compressed", [](BmpSpec& s) { s.compression = 1; });
  add("width 0", [](BmpSpec& s) { s.width = 0; });
  add("width -4", [](BmpSpec& s) { s.width = -4; });
  add("width 8193", [](BmpSpec& s) { s.width = 8193; });
  add("height 0", [](BmpSpec& s) { s.height = 0; });
  add("height 8193", [](BmpSpec& s) { s.height = 8193; });
  add("height -8193", [](BmpSpec& s) { s.height = -8193; });
  add("short header", [](BmpSpec& s) { s.headerSize = 12; });
  add("short pixel data", [](BmpSpec& s) { s.cut = 2; });
  for (const auto& [what, spec] : bad) {
    testing_support::WriteBytes("bad.bmp", MakeBmp(spec));
    EXPECT_EQ(LoadBitmapFile(&bmp, "bad.bmp"), 0u) << what;
    ExpectImage(bmp, 5, 2);
  }

  // A pixel offset past the end of the file, and a file too short for its headers.
  Bytes far = MakeBmp({});
  far[10] = 0xFF;
  far[11] = 0xFF;
  testing_support::WriteBytes("far.bmp", far);
  EXPECT_EQ(LoadBitmapFile(&bmp, "far.bmp"), 0u);
  testing_support::WriteBytes("tiny.bmp", Bytes{'B', 'M', 1, 2, 3});
  EXPECT_EQ(LoadBitmapFile(&bmp, "tiny.bmp"), 0u);
  EXPECT_EQ(LoadBitmapFile(&bmp, "missing.bmp"), 0u);
  EXPECT_EQ(LoadBitmapFile(&bmp, nullptr), 0u);
  EXPECT_EQ(LoadBitmapFile(nullptr, "good.bmp"), 0u);
  ExpectImage(bmp, 5, 2);
}

TEST_F(Bitmap, UnloadIsIdempotentAndTheRecordLoadsAgain) {
  testing_support::WriteBytes("a.bmp", MakeBmp({}));
  BitmapFile bmp{};
  ASSERT_EQ(LoadBitmapFile(&bmp, "a.bmp"), 1u);
  EXPECT_EQ(UnloadBitmapFile(&bmp), 1u);
  EXPECT_TRUE(bmp.pixels.empty());
  EXPECT_EQ(UnloadBitmapFile(&bmp), 1u);
  ASSERT_EQ(LoadBitmapFile(&bmp, "a.bmp"), 1u);
  ExpectImage(bmp, 5, 2);
}

TEST(FlipBitmapRows, ReversesRowsAndLeavesOneRowAlone) {
  std::vector<std::uint8_t> rows = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(FlipBitmapRows(rows.data(), 2, 3), 1u);
  EXPECT_EQ(rows, (std::vector<std::uint8_t>{5, 6, 3, 4, 1, 2}));
  EXPECT_EQ(FlipBitmapRows(rows.data(), 6, 1), 1u);
  EXPECT_EQ(rows, (std::vector<std::uint8_t>{5, 6, 3, 4, 1, 2}));
  EXPECT_EQ(FlipBitmapRows(nullptr, 6, 2), 1u);
}

}  // namespace
