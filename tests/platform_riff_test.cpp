#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/riff.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using platform::ChunkInfo;
using platform::FourCC;

void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

// A chunk with its stated size (the data's length unless told), padded to an even length.
Bytes Chunk(const char (&id)[5], const Bytes& data, std::int64_t statedSize = -1) {
  Bytes b;
  Put32(b, FourCC(id));
  Put32(b, std::uint32_t(statedSize >= 0 ? statedSize : std::int64_t(data.size())));
  b.insert(b.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) b.push_back(0);
  return b;
}

Bytes Form(const char (&type)[5], const Bytes& chunks, std::int64_t statedSize = -1) {
  Bytes data;
  Put32(data, FourCC(type));
  data.insert(data.end(), chunks.begin(), chunks.end());
  return Chunk("RIFF", data, statedSize);
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct RiffCloser {
  void operator()(platform::RiffFile* f) const { platform::RiffClose(f); }
};
using RiffPtr = std::unique_ptr<platform::RiffFile, RiffCloser>;

RiffPtr Open(const Bytes& bytes) {
  testing_support::WriteBytes("t.riff", bytes);
  return RiffPtr(platform::RiffOpen("t.riff"));
}

class Riff : public testing_support::FreshProgram {};

TEST_F(Riff, WalksChunksOfAFormWithPaddingAndSearch) {
  // Another form first, then a WAVE form with an odd-sized chunk, a LIST and the data.
  const Bytes file = Form("AVI ", Chunk("junk", {9, 9})) +
                     Form("WAVE", Chunk("abc ", {1, 2, 3}) + Chunk("LIST", {4, 5, 6, 7}) +
                                      Chunk("data", {10, 11, 12, 13, 14}));
  RiffPtr f = Open(file);
  ASSERT_NE(f, nullptr);
  ChunkInfo form;
  ASSERT_TRUE(platform::RiffDescendForm(f.get(), &form, FourCC("WAVE")));
  EXPECT_EQ(form.formType, FourCC("WAVE"));
  EXPECT_EQ(form.dataOffset, 22u + 12u);

  ChunkInfo c;
  ASSERT_TRUE(platform::RiffDescend(f.get(), &c, form));
  EXPECT_EQ(c.id, FourCC("abc "));
  EXPECT_EQ(c.size, 3u);
  // A read may run past the chunk's end; ascending puts the position back after the pad byte.
  std::uint8_t buf[6] = {};
  EXPECT_EQ(platform::RiffRead(f.get(), buf, 6), 6);
  EXPECT_EQ(buf[4], 'L');
  ASSERT_TRUE(platform::RiffAscend(f.get(), c));

  ASSERT_TRUE(platform::RiffFindChunk(f.get(), &c, form, FourCC("data")));
  EXPECT_EQ(c.size, 5u);
  EXPECT_EQ(platform::RiffRead(f.get(), buf, 5), 5);
  EXPECT_EQ(buf[0], 10);
  EXPECT_EQ(buf[4], 14);
  // The file ends after the pad byte: reads come back short, then empty.
  EXPECT_EQ(platform::RiffRead(f.get(), buf, 6), 1);
  EXPECT_EQ(platform::RiffRead(f.get(), buf, 6), 0);

  // Nothing more in the form: the search fails and leaves the position alone.
  ASSERT_TRUE(platform::RiffAscend(f.get(), c));
  EXPECT_FALSE(platform::RiffFindChunk(f.get(), &c, form, FourCC("fact")));
  EXPECT_FALSE(platform::RiffDescend(f.get(), &c, form));
}

TEST_F(Riff, SizesAreCheckedAgainstParentAndFile) {
  // A chunk claiming more than its form holds.
  RiffPtr f = Open(Form("WAVE", Chunk("fmt ", {1, 2}, 100)));
  ASSERT_NE(f, nullptr);
  ChunkInfo form;
  ChunkInfo c;
  ASSERT_TRUE(platform::RiffDescendForm(f.get(), &form, FourCC("WAVE")));
  EXPECT_FALSE(platform::RiffDescend(f.get(), &c, form));
  EXPECT_FALSE(platform::RiffFindChunk(f.get(), &c, form, FourCC("data")));

  // A chunk that fits the file but not its form.
  f = Open(Form("WAVE", Chunk("fmt ", {1, 2, 3, 4}), 4 + 8 + 2) + Bytes(8, 0));
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(platform::RiffDescendForm(f.get(), &form, FourCC("WAVE")));
  EXPECT_FALSE(platform::RiffDescend(f.get(), &c, form));

  // A form claiming more than the file holds, or less than its own type.
  f = Open(Form("WAVE", Chunk("data", {1, 2}), 1000));
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(platform::RiffDescendForm(f.get(), &form, FourCC("WAVE")));
  f = Open(Form("WAVE", {}, 2));
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(platform::RiffDescendForm(f.get(), &form, FourCC("WAVE")));

  // A parent record that does not describe this file is refused, not read.
  f = Open(Form("WAVE", Chunk("data", {1, 2})));
  ChunkInfo made;
  made.id = FourCC("RIFF");
  made.size = 0xFFFFFFF0u;
  made.dataOffset = 12;
  EXPECT_FALSE(platform::RiffDescend(f.get(), &c, made));
  EXPECT_FALSE(platform::RiffAscend(f.get(), made));
  EXPECT_EQ(platform::RiffRead(f.get(), nullptr, 4), -1);
  EXPECT_EQ(platform::RiffRead(f.get(), &c, -1), -1);
}

TEST_F(Riff, OpenRefusesMissingAndOversizedFiles) {
  EXPECT_EQ(platform::RiffOpen("missing.wav"), nullptr);
  EXPECT_EQ(platform::RiffOpen(nullptr), nullptr);
  testing_support::WriteBytes("big.wav", {});
  std::filesystem::resize_file("big.wav", std::uintmax_t(platform::MaxRiffFileBytes) + 1);
  EXPECT_EQ(platform::RiffOpen("big.wav"), nullptr);
}

}  // namespace
