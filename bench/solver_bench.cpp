// The solver's speed: states per second on a lake with three platforms whose ball cannot be
// reached (so every state is explored), and the time to solve each shipped level from its file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/play_frame.h"
#include "app/program_state.h"
#include "app/scene.h"
#include "board/level_file.h"
#include "board/level_record.h"
#include "midend/game.h"
#include "midend/solver.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "play/rules.h"

namespace {

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
SolveResult SolveAndReport(benchmark::State& state, const std::string& path) {
  SolveResult result;
  double states = 0, cpu = 0;
  for (auto _ : state) {
    result = SolveLevelFile(path);
    states += double(result.states);
    cpu += result.cpuSeconds;
  }
  state.counters["states"] = double(result.states);
  state.counters["states_per_cpu_second"] = cpu > 0 ? states / cpu : 0;
  state.counters["moves"] = double(result.moves.size());
  return result;
}

void BM_SolverStatesPerSecond(benchmark::State& state) {
  ResetProgramState();
  const std::string path = WriteLakeLevel();
  const SolveResult result = SolveAndReport(state, path);
  std::filesystem::remove(path);
  if (result.outcome != SolveOutcome::Unsolvable) state.SkipWithError("the lake level changed");
}
BENCHMARK(BM_SolverStatesPerSecond)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SolveShippedLevel(benchmark::State& state) {
#ifdef YELKO_SOLVER_GAME_DIR
  ResetProgramState();
  const std::string path =
      std::string(YELKO_SOLVER_GAME_DIR) + "/level" + std::to_string(state.range(0)) + ".dat";
  const SolveResult result = SolveAndReport(state, path);
  if (result.outcome != SolveOutcome::Solved) state.SkipWithError(("no solution: " + path).c_str());
#else
  state.SkipWithError("built without the run directory of the shipped levels");
#endif
}
BENCHMARK(BM_SolveShippedLevel)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);

// A hint is a search from the Player's position. The positions a player reaches most easily
// are those along a shortest solution and one wrong move off it; this measures the slowest
// hint from any of them (the target: 100 ms).
void BM_HintSlowest(benchmark::State& state) {
#ifdef YELKO_SOLVER_GAME_DIR
  ResetProgramState();
  const std::string path =
      std::string(YELKO_SOLVER_GAME_DIR) + "/level" + std::to_string(state.range(0)) + ".dat";
  std::uint8_t record[LevelRecordSize];
  platform::ReadFilePrefix(path.c_str(), record, sizeof record);
  const std::string moves = SolveLevelRecord(record).moves;
  Level level;
  SetUpLevel(record, &level);
  GameState here = StartState(level);
  std::vector<GameState> positions;
  for (char m : moves) {
    positions.push_back(here);
    for (std::int32_t d = DirLeft; d <= DirDown; ++d) {
      GameState next = here;
      if (MakeMove(level, &next, d).stepStarted) positions.push_back(next);
    }
    MakeMove(level, &here, m == 'L' ? DirLeft : m == 'U' ? DirUp : m == 'R' ? DirRight : DirDown);
  }
  SolveOptions hint;
  hint.guided = true;
  double slowest = 0;
  for (auto _ : state) {
    for (const GameState& p : positions) {
      const double began = platform::ThreadCpuSeconds();
      benchmark::DoNotOptimize(SolveFromState(level, p, hint));
      slowest = std::max(slowest, platform::ThreadCpuSeconds() - began);
    }
  }
  state.counters["positions"] = double(positions.size());
  state.counters["slowest_cpu_ms"] = slowest * 1000;
#else
  state.SkipWithError("built without the run directory of the shipped levels");
#endif
}
BENCHMARK(BM_HintSlowest)->DenseRange(1, 5)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
