#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/riff.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using platform::ChunkInfo;
using platform::FourCC;

// A chunk stating `size` (the data's length when negative), padded to an even length.
Bytes Chunk(const char (&id)[5], Bytes data, std::int64_t size = -1) {
  const std::uint32_t n = std::uint32_t(size >= 0 ? size : std::int64_t(data.size()));
  Bytes b(id, id + 4);
  for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(n >> (8 * i)));
  b.insert(b.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) b.push_back(0);
  return b;
}
Bytes operator+(Bytes a, const Bytes& b) {
  return a.insert(a.end(), b.begin(), b.end()), a;
}
Bytes Form(const char (&type)[5], const Bytes& chunks, std::int64_t size = -1) {
  return Chunk("RIFF", Bytes(type, type + 4) + chunks, size);
}

using RiffPtr = std::unique_ptr<platform::RiffFile, void (*)(platform::RiffFile*)>;
RiffPtr Open(const Bytes& bytes) {
  testing_support::WriteBytes("t.riff", bytes);
  return {platform::RiffOpen("t.riff"), platform::RiffClose};
}

class Riff : public testing_support::FreshProgram {};

// Walking and reading chunks is exercised through LoadWav; here, the size checks.
TEST_F(Riff, NoChunkReachesPastItsParentOrTheFile) {
  ChunkInfo form, c;
  RiffPtr f = Open(Form("WAVE", Chunk("fmt ", {1, 2, 3, 4}), 14) + Bytes(8, 0));
  ASSERT_TRUE(platform::RiffDescendForm(f.get(), &form, FourCC("WAVE")));
  EXPECT_FALSE(platform::RiffDescend(f.get(), &c, form));  // fits the file, not the form
  EXPECT_FALSE(platform::RiffFindChunk(f.get(), &c, form, FourCC("fmt ")));
  f = Open(Form("WAVE", Chunk("data", {1, 2}), 1000));
  EXPECT_FALSE(platform::RiffDescendForm(f.get(), &form, FourCC("WAVE")));
  f = Open(Form("WAVE", {}, 2));  // shorter than its own form type
  EXPECT_FALSE(platform::RiffDescendForm(f.get(), &form, FourCC("WAVE")));

  ChunkInfo made;  // a record that does not describe this file
  made.id = FourCC("RIFF");
  made.size = 0xFFFFFFF0u;
  made.dataOffset = 12;
  EXPECT_FALSE(platform::RiffDescend(f.get(), &c, made));
  EXPECT_FALSE(platform::RiffAscend(f.get(), made));

  testing_support::WriteBytes("big.wav", {});
  std::filesystem::resize_file("big.wav", std::uintmax_t(platform::MaxRiffFileBytes) + 1);
  EXPECT_EQ(platform::RiffOpen("big.wav"), nullptr);
}

}  // namespace
