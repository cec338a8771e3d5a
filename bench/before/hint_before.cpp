// The hint survey of bench/hint_sampling.h for a build from before the region search, compiled
// by bench/hint_before.sh against that build's own sources: its hint was the guided
// breadth-first search (SolveFromState with guided set, at most 1,000,000 states), run inside
// the frame that asked for it. Prints one line a level:
//   level N: reachable R, sampled S, median M ms, over 10 ms P %, slowest X ms (single Z ms),
//   start Y ms
// where "start" is the hint from the level's start (the frame it held in that build).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/hint_sampling.h"
#include "board/level.h"
#include "board/level_file.h"
#include "midend/solver.h"
#include "platform/files.h"
#include "platform/memory.h"

namespace {

hint_sampling::Timed Hint(const Level& level, const GameState& from) {
  SolveOptions options;
  options.maxStates = 1'000'000;
  options.guided = true;
  const double began = platform::ThreadCpuSeconds();
  const SolveResult result = SolveFromState(level, from, options);
  const double ms = (platform::ThreadCpuSeconds() - began) * 1000;
  if (result.moves.size() > 100000) std::abort();  // keeps the search from being left out
  return {ms, result.states};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: hint_before GAME_DIR LEVEL...\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const std::string path = std::string(argv[1]) + "/level" + argv[i] + ".dat";
    std::uint8_t record[LevelRecordSize];
    if (platform::ReadFilePrefix(path.c_str(), record, sizeof record) != LevelRecordSize) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      return 2;
    }
    Level level;
    SetUpLevel(record, &level);
    std::uint64_t reachable = 0;
    const auto samples = hint_sampling::SamplePositions(level, 2000, &reachable);
    const auto survey = hint_sampling::SurveyHints(level, samples, reachable, Hint);
    const double start = Hint(level, StartState(level)).ms;
    std::printf(
        "level %s: reachable %llu, sampled %zu, median %.2f ms, over 10 ms %.1f %%, slowest %.1f "
        "ms (single %.1f ms), start %.1f ms\n",
        argv[i], (unsigned long long)survey.reachable, survey.sampled, survey.medianMs,
        survey.over10 * 100, survey.slowestMs, survey.slowestSingleMs, start);
    std::fflush(stdout);
  }
  return 0;
}
