// The generator: processor time per puzzle for each grade (median and 90th percentile over a run
// of seeds), the measures of what it makes, and the same measures of the shipped levels beside
// them. Expert takes about a minute a puzzle, so it gets fewer seeds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "board/level_file.h"
#include "midend/generator.h"
#include "midend/measures.h"
#include "platform/files.h"

namespace {

double Quantile(std::vector<double> values, double q) {
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, std::size_t(q * double(values.size())))];
}

void GenerateGrade(benchmark::State& state) {
  const Grade grade = Grade(state.range(0));
  const int seeds = grade == Grade::Expert ? 8 : 50;
  std::vector<double> seconds, par, carries, moved;
  for (auto _ : state) {
    for (int seed = 0; seed < seeds; ++seed) {
      const std::clock_t start = std::clock();
      const Puzzle puzzle = GeneratePuzzle(grade, std::uint64_t(seed));
      seconds.push_back(double(std::clock() - start) / CLOCKS_PER_SEC);
      par.push_back(puzzle.measures.par);
      carries.push_back(puzzle.measures.carries);
      moved.push_back(puzzle.measures.platformsMoved);
    }
  }
  state.SetLabel(std::string(GradeName(grade)) + ", " + std::to_string(seeds) + " seeds");
  state.counters["cpu_median_s"] = Quantile(seconds, 0.5);
  state.counters["cpu_p90_s"] = Quantile(seconds, 0.9);
  state.counters["par_median"] = Quantile(par, 0.5);
  state.counters["carries_median"] = Quantile(carries, 0.5);
  state.counters["moved_median"] = Quantile(moved, 0.5);
  state.counters["par_min"] = Quantile(par, 0);
  state.counters["par_max"] = Quantile(par, 1);
}
BENCHMARK(GenerateGrade)->DenseRange(0, 3)->Iterations(1)->Unit(benchmark::kSecond);

// The shipped levels' measures, for the grades to be read against.
void ShippedLevelMeasures(benchmark::State& state) {
  std::uint8_t record[LevelRecordSize];
  const std::string path =
      (BenchGameDir() / ("level" + std::to_string(state.range(0)) + ".dat")).string();
  Level level;
  if (platform::ReadFilePrefix(path.c_str(), record, sizeof record) != LevelRecordSize ||
      SetUpLevel(record, &level) != 0) {
    state.SkipWithError("the shipped level cannot be read: set YELKO_GAME_DIR");
    return;
  }
  LevelMeasures m;
  for (auto _ : state) m = MeasureLevel(level, true);
  state.counters["par"] = m.par;
  state.counters["carries"] = m.carries;
  state.counters["moved"] = m.platformsMoved;
  state.counters["stuck_permille"] = m.stuckPerMille;
}
BENCHMARK(ShippedLevelMeasures)->DenseRange(1, LevelCount)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
