// Level text and level files: the shipped sources, compile and decompile round trips, the
// format's limits, and decompiling whatever bytes a file may hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/level_record.h"
#include "board/level_text.h"

namespace {

using Record = std::vector<std::uint8_t>;

const std::string Map =
    "map\n"
    "##############\n"
    "##............\n"
    "##............\n"
    "##............\n"
    "##............\n"
    "##............\n"
    "##............\n"
    "##............\n"
    "##............\n"
    "##............\n"
    "##............\n"
    "##............\n"
    "##............\n"
    "##############\n";

struct Compiled {
  bool ok;
  Record record;
  std::string error;
  std::vector<std::string> warnings;
};

Compiled Compile(const std::string& text) {
  Compiled c{false, Record(LevelRecordSize), "", {}};
  c.ok = CompileLevelText(text, "lv.txt", c.record.data(), &c.error, &c.warnings);
  return c;
}

std::string Repeat(const std::string& line, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += line;
  return s;
}

// Legal but odd: the Player in the water, no balls at all, platforms on one spot.
TEST(ContentLevel, WarnsOfOddLevelsWithTheLine) {
  const Compiled odd = Compile(Map + "player 7 7\n" + Repeat("platform 7 5 5\n", 2));
  ASSERT_TRUE(odd.ok) << odd.error;
  ASSERT_EQ(odd.warnings.size(), 3u);
  EXPECT_EQ(odd.warnings[0].rfind("lv.txt:18: this platform overlaps", 0), 0u) << odd.warnings[0];
  EXPECT_EQ(odd.warnings[1].rfind("lv.txt:16: the Player starts in the water", 0), 0u);
  EXPECT_NE(odd.warnings[2].find("no balls"), std::string::npos) << odd.warnings[2];
}

// A record as a careful author (or the editor, within the limits) could make.
Record RandomWellFormedRecord(std::mt19937& rng) {
  auto pick = [&](int n) { return int(rng() % std::uint32_t(n)); };
  Record r(LevelRecordSize, 255);
  const std::uint8_t odd[] = {0, 3, 7, 128, 254, 255};
  for (int i = 0; i < 196; ++i)
    r[std::size_t(i)] = pick(10) ? std::uint8_t(1 + pick(2)) : odd[pick(6)];
  r[196] = std::uint8_t(pick(14));
  r[197] = std::uint8_t(pick(14));
  const int platforms = pick(10);
  for (int p = 0; p < platforms; ++p) {
    r[std::size_t(208 + 3 * p)] = std::uint8_t(pick(9));
    r[std::size_t(209 + 3 * p)] = std::uint8_t(pick(12));  // every box fits from column 11
    r[std::size_t(210 + 3 * p)] = std::uint8_t(pick(12));
  }
  const int balls = pick(platforms ? 5 : 6);
  for (int b = 0; b < balls; ++b) {
    r[std::size_t(198 + 2 * b)] = std::uint8_t(pick(14));
    r[std::size_t(199 + 2 * b)] = std::uint8_t(pick(14));
  }
  return r;
}

TEST(ContentLevel, DecompiledTextCompilesBackToTheSameBytes) {
  std::mt19937 rng(1234);
  for (int i = 0; i < 400; ++i) {
    const Record r = RandomWellFormedRecord(rng);
    const std::string text = DecompileLevelBytes(r.data(), r.size());
    const Compiled c = Compile(text);
    ASSERT_TRUE(c.ok) << c.error << "\n" << text;
    ASSERT_EQ(c.record, r) << text;
  }
}

TEST(ContentLevel, DecompilesAnyBytesAndNeverMisstatesThem) {
  std::mt19937 rng(99);
  int recompiled = 0;
  for (int i = 0; i < 3000; ++i) {
    // Mostly plausible bytes, so that some files are levels and many are nearly levels.
    const std::size_t size = i % 3 == 0 ? std::size_t(rng() % 420) : 300;
    Record bytes(size);
    for (std::uint8_t& b : bytes) {
      const std::uint32_t k = rng() % 16;
      b = k < 9 ? std::uint8_t(rng() % 14) : k < 13 ? std::uint8_t(255) : std::uint8_t(rng());
    }
    const std::string text = DecompileLevelBytes(bytes.data(), bytes.size());
    ASSERT_FALSE(text.empty());
    if (size != 300) {
      EXPECT_NE(text.find("This file is " + std::to_string(size) + " bytes"), std::string::npos);
      continue;
    }
    const Compiled c = Compile(text);
    if (!c.ok) continue;
    ++recompiled;
    LevelLayout read, meant;
    DecodeLevelRecord(c.record.data(), &read);
    DecodeLevelRecord(bytes.data(), &meant);
    ASSERT_TRUE(SameLevel(read, meant)) << text;
  }
  EXPECT_GT(recompiled, 50);
}

}  // namespace
