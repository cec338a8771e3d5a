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
// that would see at once that the ball is out of reach.
void BM_SolverStatesPerSecond(benchmark::State& state) {
  ResetProgramState();
  const std::string path = WriteLakeLevel();
  SolveOptions options;
  options.breadthFirst = state.range(0) == 0;
  options.unreachableBalls = false;
  const SolveResult result = SolveAndReport(state, path, options);
  std::filesystem::remove(path);
  if (result.outcome != SolveOutcome::Unsolvable) state.SkipWithError("the lake level changed");
}
BENCHMARK(BM_SolverStatesPerSecond)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

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

// ---- Hints from anywhere a player can get to

// A position as a key: the Player's cell, the balls lying and every platform's corner (slot by
// slot), enough to give the state back.
struct Position {
  std::uint8_t b[16];
};

Position KeyOf(const Level& level, const GameState& s) {
  Position p{};
  p.b[0] = std::uint8_t(CellOf(s.playerX) * BoardCells + CellOf(s.playerY));
  p.b[1] = s.ballsLying;
  for (int n = 0; n < level.platformCount; ++n) {
    p.b[2 + n] = std::uint8_t((CellOf(s.platformX[n]) + 2) * 16 + CellOf(s.platformY[n]) + 2);
  }
  return p;
}

GameState StateOf(const Level& level, const Position& p) {
  GameState s = StartState(level);
  s.playerX = p.b[0] / BoardCells * CellPixels;
  s.playerY = p.b[0] % BoardCells * CellPixels;
  s.ballsLying = p.b[1];
  for (int n = 0; n < level.platformCount; ++n) {
    s.platformX[n] = (p.b[2 + n] / 16 - 2) * CellPixels;
    s.platformY[n] = (p.b[2 + n] % 16 - 2) * CellPixels;
  }
  return s;
}

std::uint64_t HashOf(const Position& p) {
  std::uint64_t a, b;
  std::memcpy(&a, p.b, 8);
  std::memcpy(&b, p.b + 8, 8);
  std::uint64_t h = a * 0x9E3779B97F4A7C15ull ^ (b + 0x632BE59BD9B4E019ull) * 0xC2B2AE3D27D4EB4Full;
  return h ^ (h >> 29);
}

// Every position the level can reach from its start, one move at a time (not going on from a
// solved one), and `count` of them drawn uniformly (unsolved ones only).
std::vector<GameState> SamplePositions(const Level& level, int count, std::uint64_t* reachable) {
  std::vector<Position> all{KeyOf(level, StartState(level))};
  std::vector<std::uint32_t> table(std::size_t(1) << 26, 0);  // index + 1, 0 empty
  const std::uint64_t mask = table.size() - 1;
  auto insert = [&](const Position& p) {
    for (std::uint64_t i = HashOf(p) & mask;; i = (i + 1) & mask) {
      if (table[i] == 0) {
        all.push_back(p);
        table[i] = std::uint32_t(all.size());
        return true;
      }
      if (std::memcmp(all[table[i] - 1].b, p.b, 16) == 0) return false;
    }
  };
  table[HashOf(all[0]) & mask] = 1;
  std::vector<GameState> samples;
  std::uint64_t seed = 12345, unsolved = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const GameState s = StateOf(level, all[i]);
    if (s.solved) continue;
    // Reservoir sampling: each unsolved position is kept with the same chance.
    ++unsolved;
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    if (samples.size() < std::size_t(count)) {
      samples.push_back(s);
    } else if ((seed >> 11) % unsolved < std::uint64_t(count)) {
      samples[(seed >> 11) % std::uint64_t(count)] = s;
    }
    for (std::int32_t d = DirLeft; d <= DirDown; ++d) {
      GameState next = s;
      if (MakeMove(level, &next, d).stepStarted && all.size() < table.size() / 2) {
        insert(KeyOf(level, next));
      }
    }
  }
  *reachable = all.size();
  return samples;
}

double HintMs(const Level& level, const GameState& from) {
  const double began = platform::ThreadCpuSeconds();
  benchmark::DoNotOptimize(SearchToEnd(level, from));
  return (platform::ThreadCpuSeconds() - began) * 1000;
}

// A hint is a search from wherever the Player stands: 2,000 positions drawn uniformly from all
// the level can reach, and from the slowest ten a climb to slower neighbours (the target: every
// hint within 10 ms of processor time).
void BM_HintSlowest(benchmark::State& state) {
#ifdef YELKO_SOLVER_GAME_DIR
  ResetProgramState();
  const std::string path =
      std::string(YELKO_SOLVER_GAME_DIR) + "/level" + std::to_string(state.range(0)) + ".dat";
  std::uint8_t record[LevelRecordSize];
  platform::ReadFilePrefix(path.c_str(), record, sizeof record);
  Level level;
  SetUpLevel(record, &level);
  std::uint64_t reachable = 0;
  const std::vector<GameState> samples = SamplePositions(level, 2000, &reachable);
  std::vector<std::pair<double, GameState>> timed;
  for (auto _ : state) {
    timed.clear();
    for (const GameState& p : samples) timed.emplace_back(HintMs(level, p), p);
  }
  std::sort(timed.begin(), timed.end(),
            [](const auto& a, const auto& b) { return a.first > b.first; });
  double slowest = timed.empty() ? 0 : timed.front().first;
  for (std::size_t k = 0; k < std::min<std::size_t>(10, timed.size()); ++k) {
    GameState here = timed[k].second;
    for (int step = 0; step < 20; ++step) {
      double best = 0;
      GameState next = here;
      for (std::int32_t d = DirLeft; d <= DirDown; ++d) {
        GameState n = here;
        if (!MakeMove(level, &n, d).stepStarted || n.solved) continue;
        const double ms = HintMs(level, n);
        if (ms > best) best = ms, next = n;
      }
      if (best <= slowest) break;
      slowest = best;
      here = next;
    }
  }
  state.counters["reachable"] = double(reachable);
  state.counters["median_cpu_ms"] = timed.empty() ? 0 : timed[timed.size() / 2].first;
  state.counters["slowest_cpu_ms"] = slowest;
#else
  state.SkipWithError("built without the run directory of the shipped levels");
#endif
}
BENCHMARK(BM_HintSlowest)->DenseRange(1, 5)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---- The frames while a hint is searched for

// The longest frame of play while level 5's hint from its start is searched for, in slices
// (the browser, replays) and on a thread (the desktop): the target is none over 16 ms.
void BM_FrameHeldByHint(benchmark::State& state) {
#ifdef YELKO_SOLVER_GAME_DIR
  ResetProgramState();
  const std::filesystem::path dir = std::filesystem::current_path();
  std::filesystem::current_path(YELKO_SOLVER_GAME_DIR);
  SetProgressOverride(true, 5);
  headless::UseThreads(state.range(0) == 1);
  platform::RegisterWindowClass("WINXCLASS", WindowProc);
  MainWindow = platform::CreateGameWindow("WINXCLASS", "Yelko", GameMenu());
  GameInit();
  StartLevel();
  double longest = 0;
  int frames = 0;
  for (auto _ : state) {
    ForgetHint();
    headless::HoldKeys({DIK_H});
    for (frames = 0; frames < 1000; ++frames) {
      const auto began = std::chrono::steady_clock::now();
      PlayFrame();
      longest = std::max(longest, std::chrono::duration<double, std::milli>(
                                      std::chrono::steady_clock::now() - began)
                                      .count());
      headless::HoldKeys({});
      if (Hint != HintKind::Thinking && frames > 0) break;
    }
  }
  state.counters["frames_to_answer"] = frames;
  state.counters["longest_frame_ms"] = longest;
  GameShutdown();
  ResetProgramState();
  std::filesystem::current_path(dir);
#else
  state.SkipWithError("built without the run directory of the shipped levels");
#endif
}
BENCHMARK(BM_FrameHeldByHint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---- Big searches

SolveResult SolveLayout(const LevelLayout& layout, const SolveOptions& options = {}) {
  std::uint8_t record[LevelRecordSize];
  std::memset(record, ListEnd, sizeof record);
  EncodeLevelRecord(layout, record);
  return SolveLevelRecord(record, options);
}

LevelLayout LayoutOf(const char* const map[BoardCells]) {
  LevelLayout l;
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) l.terrain[c][r] = map[r][c] == '#' ? 1 : 2;
  }
  return l;
}

void Report(benchmark::State& state, const SolveResult& r) {
  state.counters["states"] = double(r.states);
  state.counters["moves"] = double(r.moves.size());
  state.counters["peak_MB"] = double(r.peakBytes) / 1e6;
  state.counters["bytes_per_state"] = r.states > 0 ? double(r.peakBytes) / double(r.states) : 0;
}

// The lake with a fourth platform, its ball still out of reach: said at once. Without that
// pruning the search looks at every place the four platforms can go, which measures the bytes
// a stored state costs.
void BM_UnsolvableLakeFourPlatforms(benchmark::State& state) {
  LevelLayout lake = LayoutOf(Lake);
  lake.ballCount = 1;
  lake.balls[0] = {10, 8};
  lake.platformCount = 4;
  lake.platforms[0] = {5, 1, 1};
  lake.platforms[1] = {7, 4, 3};
  lake.platforms[2] = {6, 5, 5};
  lake.platforms[3] = {6, 1, 4};
  SolveOptions options;
  options.unreachableBalls = state.range(0) == 1;
  SolveResult r;
  for (auto _ : state) r = SolveLayout(lake, options);
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
  const char* const map[BoardCells] = {
      "##############", "#............#", "#.#..........#", "#...........##", "#............#",
      "#............#", "#............#", "#............#", "#............#", "#............#",
      "#............#", "#...........#.", "##...........#", "##############"};
  LevelLayout lake = LayoutOf(map);
  lake.startColumn = 7;
  lake.startRow = 0;
  lake.ballCount = 4;
  lake.balls[0] = {2, 2};
  lake.balls[1] = {12, 3};
  lake.balls[2] = {12, 11};
  lake.balls[3] = {1, 12};
  const int platforms[9][3] = {{5, 1, 5},  {7, 2, 8}, {6, 5, 2},  {0, 6, 5}, {1, 10, 5},
                               {3, 11, 9}, {4, 4, 9}, {8, 9, 10}, {2, 1, 11}};
  lake.platformCount = 9;
  for (int i = 0; i < 9; ++i) {
    lake.platforms[i] = {std::int8_t(platforms[i][0]), std::int8_t(platforms[i][1]),
                         std::int8_t(platforms[i][2])};
  }
  SolveResult r;
  for (auto _ : state) r = SolveLayout(lake);
  if (r.outcome != SolveOutcome::Solved) state.SkipWithError("no solution");
  Report(state, r);
}
BENCHMARK(BM_NinePlatformLake)->Unit(benchmark::kMillisecond);

}  // namespace
