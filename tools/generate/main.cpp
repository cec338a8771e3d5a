// yelko-generate: makes puzzles with the game's own generator, for players and level authors.
//
//   yelko-generate --difficulty easy|medium|hard|expert --seed S [--count N] [--out DIR]
//
// Writes DIR/NAME.dat for each puzzle (DIR the current folder unless given), the seeds S, S+1,
// ..., and prints one line per puzzle: its name, its code, its par and its measures. S is a
// number (0 to 33554431) or a puzzle's name, whose seed it takes. The same grade and seed give
// the same level on every platform, for as long as the generator stays as it is.
//
// Exit status: 0 every puzzle made and written, 2 wrong usage or a file not written.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/version.h"
#include "board/level_code.h"
#include "midend/generator.h"
#include "platform/files.h"

namespace {

// The states counted for the stuck share before it is sampled instead.
constexpr std::uint64_t StuckBudget = 1'000'000;

int Usage() {
  std::fprintf(stderr,
               "usage: yelko-generate --difficulty easy|medium|hard|expert --seed S [--count N] "
               "[--out DIR]\n"
               "       yelko-generate --version\n");
  return 2;
}

bool Number(const char* text, std::uint64_t high, std::uint64_t* value) {
  char* end = nullptr;
  if (text[0] < '0' || text[0] > '9') return false;
  const unsigned long long n = std::strtoull(text, &end, 10);
  if (*end != '\0' || n > high) return false;
  *value = n;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (PrintedVersion(argc, argv, "yelko-generate")) return 0;
  Grade grade = Grade::Easy;
  bool haveGrade = false, haveSeed = false;
  std::uint64_t seed = 0, count = 1;
  std::string out = ".";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool valued = i + 1 < argc;
    if (arg == "--difficulty" && valued) {
      haveGrade = GradeNamed(argv[++i], &grade);
      if (!haveGrade) return Usage();
    } else if (arg == "--seed" && valued) {
      Grade named;
      haveSeed = Number(argv[++i], MaxSeed, &seed) || ParsePuzzleName(argv[i], &named, &seed);
      if (!haveSeed) return Usage();
    } else if (arg == "--count" && valued) {
      if (!Number(argv[++i], 100000, &count) || count == 0) return Usage();
    } else if (arg == "--out" && valued) {
      out = argv[++i];
    } else {
      return Usage();
    }
  }
  if (!haveGrade || !haveSeed) return Usage();
  // Said before any puzzle is made: an Expert one takes a minute.
  std::error_code error;
  if (!std::filesystem::is_directory(out, error)) {
    std::fprintf(stderr, "yelko-generate: there is no folder %s to write the puzzles into\n",
                 out.c_str());
    return 2;
  }
  for (std::uint64_t n = 0; n < count; ++n) {
    const std::uint64_t s = (seed + n) & MaxSeed;
    const Puzzle puzzle = GeneratePuzzle(grade, s);
    const std::string name = PuzzleName(grade, s);
    const std::string path = out + "/" + name + ".dat";
    std::string why;
    if (!platform::ReplaceFileAtomically(path.c_str(), puzzle.record, LevelRecordSize, &why)) {
      std::fprintf(stderr, "yelko-generate: %s not written: %s\n", path.c_str(), why.c_str());
      return 2;
    }
    LevelMeasures m = puzzle.measures;
    Level level;
    SetUpLevel(puzzle.record, &level);
    MeasureStuck(level, StuckBudget, &m);
    std::printf("%s %s %s, %llu states searched\n", name.c_str(), LevelCode(puzzle.record).c_str(),
                MeasuresText(m).c_str(), (unsigned long long)m.effort);
    std::fflush(stdout);
  }
  return std::ferror(stdout) ? 2 : 0;
}
