// Puzzles: codes that set up the same game and refuse a typo; generated puzzles that are the
// same on every platform (tests/puzzle_codes.txt, also checked by the page), solved in exactly
// their par by the game itself, each needing a carry and every ball and platform; grades that
// rise.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "board/level_code.h"
#include "board/level_record.h"
#include "board/level_text.h"
#include "midend/generator.h"
#include "midend/puzzle.h"
#include "midend/search.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Golden {
  std::string name, code;
};

std::vector<Golden> GoldenCodes() {
  std::ifstream in(testing_support::SourceDir() + "/tests/puzzle_codes.txt");
  std::vector<Golden> goldens;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    Golden g;
    if (line.empty() || line[0] == '#' || !(words >> g.name >> g.code)) continue;
    goldens.push_back(g);
  }
  return goldens;
}

// The same level without ball or platform n (balls first), written as the level compiler would.
Bytes Without(const Bytes& record, int n) {
  LevelLayout layout;
  DecodeLevelRecord(record.data(), record.size(), &layout);
  LeaveOutObject(&layout, n);
  Bytes out(LevelRecordSize, ListEnd);
  EncodeLevelRecord(layout, out.data());
  return out;
}

SearchResult Solve(const Bytes& record, bool allowCarry = true) {
  Level level;
  EXPECT_EQ(SetUpLevel(record.data(), &level), 0);
  SearchOptions options;
  options.maxStates = 4'000'000;
  options.allowCarry = allowCarry;
  return SearchToEnd(level, StartState(level), options);
}

// The code sets up this very record, fits the promise, and refuses every one-character typo.
void ExpectCodeHolds(const Bytes& record) {
  const std::string code = LevelCode(record.data());
  EXPECT_LE(code.size(), 64u) << code;
  Bytes decoded(LevelRecordSize);
  std::string why;
  ASSERT_TRUE(RecordFromCode("  " + code + "\n", decoded.data(), &why)) << why;
  EXPECT_EQ(decoded, record) << code;
  static const std::string alphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  for (std::size_t i = 0; i < code.size(); ++i) {
    for (const char c : alphabet) {
      if (c == code[i]) continue;
      std::string typo = code;
      typo[i] = c;
      EXPECT_FALSE(RecordFromCode(typo, decoded.data(), &why)) << typo;
    }
  }
}

class Puzzles : public testing_support::FreshProgram {};

TEST_F(Puzzles, ShippedLevelsHaveShortCodesOfTheirVeryBytes) {
  for (int n = 1; n <= LevelCount; ++n) {
    const Bytes record = testing_support::ReadBytes(testing_support::GameDir() + "/level" +
                                                    std::to_string(n) + ".dat");
    ASSERT_EQ(record.size(), std::size_t(LevelRecordSize));
    ExpectCodeHolds(record);
  }
  Bytes record(LevelRecordSize);
  std::string why;
  for (const char* bad : {"", "Y", "hello world", "YAAAA", "Z"}) {
    EXPECT_FALSE(RecordFromCode(bad, record.data(), &why)) << bad;
    EXPECT_FALSE(why.empty());
  }
}

// What a player pastes: a level's text plays that very level under its code, a name the puzzle
// it names; anything else is said in a sentence.
TEST_F(Puzzles, PastedTextIsALevelANameOrSaysWhyNot) {
  const Bytes record = testing_support::ReadBytes(testing_support::GameDir() + "/level4.dat");
  PuzzleText read = ReadPuzzleText(DecompileLevelBytes(record.data(), record.size()));
  ASSERT_EQ(read.kind, PuzzleText::Kind::Level) << read.why;
  EXPECT_EQ(Bytes(read.record, read.record + LevelRecordSize), record);
  EXPECT_EQ(read.title, LevelCode(record.data()));
  read = ReadPuzzleText("  " + PuzzleName(Grade::Hard, 12345) + "\n");
  EXPECT_EQ(std::tuple(read.kind, read.grade, read.seed),
            std::tuple(PuzzleText::Kind::Name, Grade::Hard, std::uint64_t(12345)));
  for (const std::string& bad : {std::string(" \n "), std::string(MaxPuzzleTextBytes + 1, 'x'),
                                 std::string("map\n#x\n"), std::string("Yx")}) {
    read = ReadPuzzleText(bad);
    EXPECT_EQ(read.kind, PuzzleText::Kind::Refused) << bad.substr(0, 20);
    EXPECT_TRUE(!read.why.empty() && std::isupper(static_cast<unsigned char>(read.why[0])))
        << read.why;
  }
}

// The golden seeds give the same levels here, under Wine (this binary) and in the page; each is
// what its grade promises.
TEST_F(Puzzles, SeedsGiveTheSameFairPuzzlesEverywhere) {
  const std::vector<Golden> goldens = GoldenCodes();
  ASSERT_GE(goldens.size(), 8u);
  for (const Golden& golden : goldens) {
    SCOPED_TRACE(golden.name);
    Grade grade;
    std::uint64_t seed;
    ASSERT_TRUE(ParsePuzzleName(golden.name, &grade, &seed));
#if defined(__SANITIZE_ADDRESS__)
    if (grade == Grade::Expert)
      continue;  // minutes in an unoptimised build; the rest is the same code
#endif
    EXPECT_EQ(PuzzleName(grade, seed), golden.name);
    const Puzzle puzzle = GeneratePuzzle(grade, seed);
    const Bytes record(puzzle.record, puzzle.record + LevelRecordSize);
    EXPECT_EQ(LevelCode(puzzle.record), golden.code);
    ExpectCodeHolds(record);

    const LevelMeasures& m = puzzle.measures;
    const GradeBand& band = BandOf(grade);
    EXPECT_TRUE(m.par >= band.parLow && m.par <= band.parHigh) << m.par;
    EXPECT_TRUE(m.carries >= band.carriesLow && m.carries <= band.carriesHigh) << m.carries;
    EXPECT_TRUE(m.platformsMoved >= band.platformsMovedLow &&
                m.platformsMoved <= band.platformsMovedHigh)
        << m.platformsMoved;
    ASSERT_EQ(int(puzzle.moves.size()), m.par);
    EXPECT_TRUE(testing_support::GameSolves(record, puzzle.moves));
    EXPECT_FALSE(testing_support::GameSolves(record, puzzle.moves.substr(0, m.par - 1)));
    EXPECT_EQ(Solve(record).moves.size(), puzzle.moves.size());
    EXPECT_EQ(Solve(record, false).outcome, SearchOutcome::Unsolvable);

    LevelLayout layout;
    DecodeLevelRecord(puzzle.record, &layout);
    for (int n = 0; n < layout.ballCount + layout.platformCount; ++n) {
      const SearchResult without = Solve(Without(record, n));
      EXPECT_NE(without.outcome, SearchOutcome::GaveUp) << n;
      EXPECT_FALSE(without.outcome == SearchOutcome::Solved && int(without.moves.size()) == m.par)
          << "object " << n << " does not matter";
    }
  }
}

// Over 50 seeds the medians of par, carries and platforms moved rise from grade to grade. An
// Expert puzzle takes half a minute, so Expert is held to its band, which lies above Hard's.
TEST(PuzzleGrades, RiseFromEasyToExpert) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "150 generations: the fair-puzzle test runs the same code under the sanitizer";
#endif
  int last[3] = {0, 0, 0};
  for (const Grade grade : {Grade::Easy, Grade::Medium, Grade::Hard}) {
    std::vector<int> measures[3];
    for (std::uint64_t seed = 0; seed < 50; ++seed) {
      const LevelMeasures m = GeneratePuzzle(grade, seed).measures;
      measures[0].push_back(m.par);
      measures[1].push_back(m.carries);
      measures[2].push_back(m.platformsMoved);
    }
    for (int i = 0; i < 3; ++i) {
      std::nth_element(measures[i].begin(), measures[i].begin() + 25, measures[i].end());
      EXPECT_GT(measures[i][25], last[i]) << GradeName(grade) << " measure " << i;
      last[i] = measures[i][25];
    }
  }
  const GradeBand& hard = BandOf(Grade::Hard);
  const GradeBand& expert = BandOf(Grade::Expert);
  EXPECT_GT(expert.parLow, std::max(hard.parHigh, last[0]));
  EXPECT_GT(expert.carriesLow, std::max(hard.carriesHigh, last[1]));
  EXPECT_GT(expert.platformsMovedLow, std::max(hard.platformsMovedHigh, last[2]));
}

}  // namespace
