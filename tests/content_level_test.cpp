// Level text and level files: the shipped sources, compile and decompile round trips, the
// format's limits, decompiling whatever bytes a file may hold, and the shipped collection.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/level.h"
#include "board/level_code.h"
#include "board/level_collection.h"
#include "board/level_record.h"
#include "board/level_text.h"
#include "test_support.h"

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

// What a player sees of a level at its start, turned or mirrored by one of the square's eight
// symmetries: the land, the Player's cell, the balls' cells and the cells each platform covers.
using Cell = std::pair<int, int>;
struct Look {
  std::vector<int> land;
  Cell player;
  std::vector<Cell> balls;
  std::vector<std::vector<Cell>> platforms;
  bool operator==(const Look&) const = default;
};

Look LookOf(const Level& level, int symmetry) {
  auto turned = [symmetry](int c, int r) {
    if (symmetry & 4) std::swap(c, r);
    return Cell{symmetry & 1 ? BoardCells - 1 - c : c, symmetry & 2 ? BoardCells - 1 - r : r};
  };
  Look look;
  look.land.assign(BoardCells * BoardCells, 0);
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      const Cell t = turned(c, r);
      look.land[std::size_t(t.first * BoardCells + t.second)] = level.terrain[c][r] == CellLand;
    }
  }
  look.player = turned(CellOf(level.startX), CellOf(level.startY));
  for (int b = 0; b < level.ballCount; ++b) {
    look.balls.push_back(turned(CellOf(level.ballX[b]), CellOf(level.ballY[b])));
  }
  std::sort(look.balls.begin(), look.balls.end());
  for (int n = 0; n < level.platformCount; ++n) {
    std::vector<Cell> cells;
    for (int dx = 0; dx < 3; ++dx) {
      for (int dy = 0; dy < 3; ++dy) {
        if (level.platform[n].shape[dx][dy]) {
          cells.push_back(
              turned(CellOf(level.platformStartX[n]) + dx, CellOf(level.platformStartY[n]) + dy));
        }
      }
    }
    std::sort(cells.begin(), cells.end());
    look.platforms.push_back(cells);
  }
  std::sort(look.platforms.begin(), look.platforms.end());
  return look;
}

// The collection that ships with the game: at least 40 levels, each playable, and no two alike
// (nor like one of the five levels): no code twice, and no level another turned or mirrored.
TEST(ContentLevel, TheShippedCollectionHasNoTwoLevelsAlike) {
  std::vector<CollectionLevel> levels;
  for (const char* file :
       {"islands.txt", "level1.txt", "level2.txt", "level3.txt", "level4.txt", "level5.txt"}) {
    const std::vector<std::uint8_t> bytes =
        testing_support::ReadBytes(testing_support::SourceDir() + "/levels/" + file);
    Collection read;
    std::string error;
    ASSERT_TRUE(ReadCollection(std::string(bytes.begin(), bytes.end()), file, &read, &error))
        << error;
    if (levels.empty()) {
      ASSERT_GE(read.levels.size(), 40u);
    }
    levels.insert(levels.end(), read.levels.begin(), read.levels.end());
  }
  std::vector<std::string> codes;
  std::vector<Look> looks;
  static Level level;
  for (const CollectionLevel& entry : levels) {
    ASSERT_EQ(entry.problem, "") << entry.name;
    const std::string code = LevelCode(entry.record);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), code), 0) << entry.name << ": " << code;
    codes.push_back(code);
    ASSERT_EQ(SetUpLevel(entry.record, &level), 0) << entry.name;
    for (int symmetry = 0; symmetry < 8; ++symmetry) {
      const Look look = LookOf(level, symmetry);
      for (std::size_t other = 0; other < looks.size(); ++other) {
        EXPECT_FALSE(look == looks[other]) << entry.name << " is " << levels[other].name
                                           << " turned or mirrored (" << symmetry << ")";
      }
    }
    looks.push_back(LookOf(level, 0));
  }
}

}  // namespace
