// The solver's speed: states per second on a lake whose ball cannot be reached (so every state
// is explored), the time to solve each shipped level, hints from anywhere a player can get to,
// the frames while a hint is searched for, and big searches.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/assets.h"
#include "app/level_start.h"
#include "app/play_frame.h"
#include "app/program_state.h"
#include "app/progress.h"
#include "app/scene.h"
#include "app/shell.h"
#include "bench/bench_support.h"
#include "bench/hint_sampling.h"
#include "board/level_file.h"
#include "board/level_record.h"
#include "gfx/display.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/search.h"
#include "midend/solver.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/memory.h"
#include "play/rules.h"

namespace {

std::string ShippedLevel(int n) {
  return (BenchGameDir() / ("level" + std::to_string(n) + ".dat")).string();
}

// The levels made for the benchmarks, compiled from bench/levels/ beside the benchmark.
std::string BenchLevel(const char* name) {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (exe.parent_path() / "levels" / (std::string(name) + ".dat")).string();
}

// A 6 x 7 lake in land, with a 2 x 2 square, a bar and a corner piece in it. The ball lies in a
// pocket of water that no platform can reach.
const char* const Lake[BoardCells] = {
    "##############", "#......#######", "#......#######", "#......#######", "#......#######",
    "#......#######", "#......#######", "#......#######", "##########.###", "##############",
    "##############", "##############", "##############", "##############",
};

std::string WriteLakeLevel() {
  std::uint8_t record[LevelRecordSize];
  std::memset(record, ListEnd, sizeof record);
  LevelLayout lake;
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) lake.terrain[c][r] = Lake[r][c] == '#' ? 1 : 2;
  }
  lake.ballCount = 1;  // the Player starts at (0, 0); one ball at (10, 8)
  lake.balls[0] = {10, 8};
  lake.platformCount = 3;
  lake.platforms[0] = {5, 1, 1};
  lake.platforms[1] = {7, 4, 3};
  lake.platforms[2] = {6, 5, 5};
  EncodeLevelRecord(lake, record);
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("yelko-solver-bench-" + std::to_string(::getpid()) + ".dat"))
                               .string();
  platform::ReplaceFileAtomically(path.c_str(), record, sizeof record);
  return path;
}

// Solves the file once per iteration and reports the states explored per second of processor
// time; returns the last result, for the caller to check its outcome.
SolveResult SolveAndReport(benchmark::State& state, const std::string& path,
                           const SolveOptions& options = {}) {
  SolveResult result;
  double states = 0, cpu = 0;
  for (auto _ : state) {
    result = SolveLevelFile(path, options);
    states += double(result.states);
    cpu += result.cpuSeconds;
  }
  state.counters["states"] = double(result.states);
  state.counters["states_per_cpu_second"] = cpu > 0 ? states / cpu : 0;
  state.counters["moves"] = double(result.moves.size());
  return result;
}

// 0: the plain breadth-first search, position by position; 1: the search, without the pruning
// that would see at once that the ball is out of reach (nor the tables that would too).
void BM_SolverStatesPerSecond(benchmark::State& state) {
  ResetProgramState();
  const std::string path = WriteLakeLevel();
  SolveOptions options;
  options.breadthFirst = state.range(0) == 0;
  options.unreachableBalls = options.platformBounds = false;
  const SolveResult result = SolveAndReport(state, path, options);
  std::filesystem::remove(path);
  if (result.outcome != SolveOutcome::Unsolvable) state.SkipWithError("the lake level changed");
}
BENCHMARK(BM_SolverStatesPerSecond)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SolveShippedLevel(benchmark::State& state) {
  ResetProgramState();
  const std::string path = ShippedLevel(int(state.range(0)));
  const SolveResult result = SolveAndReport(state, path);
  if (result.outcome != SolveOutcome::Solved) state.SkipWithError(("no solution: " + path).c_str());
  state.counters["peak_MB"] = double(result.peakBytes) / 1e6;
}
BENCHMARK(BM_SolveShippedLevel)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);

// ---- Hints from anywhere a player can get to

hint_sampling::Timed TimedHint(const Level& level, const GameState& from) {
  const double began = platform::ThreadCpuSeconds();
  const SearchResult result = SearchToEnd(level, from);
  return {(platform::ThreadCpuSeconds() - began) * 1000, result.expanded};
}

// A hint is a search from wherever the Player stands: 2,000 positions drawn uniformly from all
// the level can reach, and from the ten of most work a climb to neighbours of more (the target:
// every hint within 10 ms of processor time). bench/hint_before.sh surveys an earlier build's hints
// over the same positions.
void BM_HintSlowest(benchmark::State& state) {
  ResetProgramState();
  const std::string path = ShippedLevel(int(state.range(0)));
  std::uint8_t record[LevelRecordSize];
  platform::ReadFilePrefix(path.c_str(), record, sizeof record);
  Level level;
  SetUpLevel(record, &level);
  std::uint64_t reachable = 0;
  const std::vector<GameState> samples = hint_sampling::SamplePositions(level, 2000, &reachable);
  // The level's tables, with their games of two, are made by the game's stuck watch as the level
  // starts (its first search, timed here); the samples' searches use them.
  SearchOptions watch;
  watch.platformPairs = true;
  const double began = platform::ThreadCpuSeconds();
  benchmark::DoNotOptimize(SearchToEnd(level, StartState(level), watch));
  const double firstMs = (platform::ThreadCpuSeconds() - began) * 1000;
  hint_sampling::Survey survey;
  for (auto _ : state) survey = hint_sampling::SurveyHints(level, samples, reachable, TimedHint);
  // The search's own count of the same space, merged by walking regions.
  Search search;
  const Exploration space = search.Explore(level, StartState(level), 50'000'000);
  state.counters["reachable"] = double(reachable);
  state.counters["regions"] = double(space.regions);
  state.counters["median_cpu_ms"] = survey.medianMs;
  state.counters["over_10ms_share"] = survey.over10;
  state.counters["slowest_cpu_ms"] = survey.slowestMs;
  state.counters["slowest_single_ms"] = survey.slowestSingleMs;
  state.counters["slowest_expanded"] = double(survey.slowestWork);
  state.counters["first_search_cpu_ms"] = firstMs;
}
BENCHMARK(BM_HintSlowest)->DenseRange(1, 5)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---- The frames while a hint is searched for

// The longest frame of play while level 5's hint from its start is searched for, in slices
// (the browser, replays) and on a thread (the desktop), headless: the target is none over 16 ms.
// Measured both on the clock and as the frame thread's processor time (the machine is shared).
void BM_FrameHeldByHint(benchmark::State& state) {
  ResetProgramState();
  const std::filesystem::path dir = std::filesystem::current_path();
  std::filesystem::current_path(BenchGameDir());
  SetProgressOverride(true, 5);
  headless::UseThreads(state.range(0) == 1);
  platform::RegisterWindowClass("WINXCLASS", WindowProc);
  MainWindow = platform::CreateGameWindow("WINXCLASS", "Yelko", GameMenu());
  GameInit();
  StartLevel();
  double longest = 0, longestCpu = 0;
  int frames = 0, mostFrames = 0;
  for (auto _ : state) {
    ForgetHint();
    headless::HoldKeys({DIK_H});
    for (frames = 0; frames < 1000; ++frames) {
      const auto began = std::chrono::steady_clock::now();
      const double cpuBegan = platform::ThreadCpuSeconds();
      PlayFrame();
      longestCpu = std::max(longestCpu, (platform::ThreadCpuSeconds() - cpuBegan) * 1000);
      longest = std::max(longest, std::chrono::duration<double, std::milli>(
                                      std::chrono::steady_clock::now() - began)
                                      .count());
      headless::HoldKeys({});
      if (Hint != HintKind::Thinking && frames > 0) break;
    }
    mostFrames = std::max(mostFrames, frames);
  }
  // The first asking's (the stuck watch still busy with the level's start).
  state.counters["frames_to_answer"] = mostFrames;
  state.counters["longest_frame_ms"] = longest;
  state.counters["longest_frame_cpu_ms"] = longestCpu;
  GameShutdown();
  ResetProgramState();
  std::filesystem::current_path(dir);
}
BENCHMARK(BM_FrameHeldByHint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---- Big searches

void Report(benchmark::State& state, const SolveResult& r) {
  state.counters["states"] = double(r.states);
  state.counters["moves"] = double(r.moves.size());
  state.counters["peak_MB"] = double(r.peakBytes) / 1e6;
  state.counters["bytes_per_state"] = r.states > 0 ? double(r.peakBytes) / double(r.states) : 0;
}

// The lake with a fourth platform, its ball still out of reach (bench/levels/, compiled beside
// the benchmark): said at once. Without that pruning (and the tables that see it too) the search
// looks at every place the four platforms can go, which measures the bytes a stored state costs:
// the most memory the search held (every array's allocated size, its hash table's empty slots
// included) over the states it stored.
void BM_UnsolvableLakeFourPlatforms(benchmark::State& state) {
  ResetProgramState();
  SolveOptions options;
  options.unreachableBalls = options.platformBounds = state.range(0) == 1;
  SolveResult r;
  for (auto _ : state) r = SolveLevelFile(BenchLevel("lake-four-platforms"), options);
  if (r.outcome != SolveOutcome::Unsolvable) state.SkipWithError("the lake became solvable");
  Report(state, r);
}
BENCHMARK(BM_UnsolvableLakeFourPlatforms)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// A 12 x 12 lake with nine platforms and a ball on each of four islands.
void BM_NinePlatformLake(benchmark::State& state) {
  ResetProgramState();
  SolveResult r;
  for (auto _ : state) r = SolveLevelFile(BenchLevel("lake-nine-platforms"));
  if (r.outcome != SolveOutcome::Solved) state.SkipWithError("no solution");
  Report(state, r);
}
BENCHMARK(BM_NinePlatformLake)->Unit(benchmark::kMillisecond);

}  // namespace
