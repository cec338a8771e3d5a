// The whole game on the headless backend with the real data files of the run directory
// (build/game, copied to a private directory): one play frame with all its drawing, the
// start-up, and the replay runner's frames per second.
//
// Targets: a play frame under 0.5 ms, start-up under 50 ms, replays at 1000 frames per second
// or more.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/assets.h"
#include "app/play_frame.h"
#include "app/program_state.h"
#include "app/replay.h"
#include "app/shell.h"
#include "bench/bench_support.h"
#include "gfx/display.h"
#include "input/input.h"
#include "midend/game.h"
#include "platform/headless/headless.h"

namespace {

namespace fs = std::filesystem;

fs::path GameDir() {
  return BenchGameDir();
}

fs::path CopyDir;

void RemoveCopy() {
  std::error_code ec;
  if (!CopyDir.empty()) fs::remove_all(CopyDir, ec);
}

// Makes a private copy of the run directory's data files the current directory, once, with the
// player's data directory inside it. Empty when it is ready, else what is missing.
std::string EnterRunCopy() {
  static std::string problem = [] {
    const fs::path game = GameDir();
    for (const char* name : {"level1.dat", "pieces.bmp", "boats.bmp", "walk.wav", "thump.wav",
                             "crunch.wav", "bifald.wav", "finished.wav"}) {
      if (!fs::exists(game / name)) {
        return (game / name).string() + " is missing: build the game's content first";
      }
    }
    std::string dir = (fs::temp_directory_path() / "yelko-bench-XXXXXX").string();
    if (::mkdtemp(dir.data()) == nullptr) return std::string("cannot make a directory");
    CopyDir = dir;
    std::atexit(RemoveCopy);
    for (const auto& entry : fs::directory_iterator(game)) {
      const std::string ext = entry.path().extension().string();
      if (ext == ".dat" || ext == ".bmp" || ext == ".wav") {
        fs::copy_file(entry.path(), CopyDir / entry.path().filename());
      }
    }
    ::setenv("XDG_DATA_HOME", (CopyDir / "data").c_str(), 1);
    return std::string();
  }();
  if (problem.empty()) fs::current_path(CopyDir);
  return problem;
}

// The window as WinMain makes it (which reads the saved progress: none, so level 1).
void OpenWindow() {
  ResetProgramState();
  platform::RegisterWindowClass("WINXCLASS", WindowProc);
  MainWindow = platform::CreateGameWindow("WINXCLASS", "Yelko", GameMenu());
}

// Boots the game; false (with the reason given to the benchmark) when start-up complained.
bool Boot(benchmark::State& state) {
  OpenWindow();
  GameInit();
  StartLevel();
  if (!headless::Messages().empty()) {
    state.SkipWithError(("start-up said: " + headless::Messages().front()).c_str());
    return false;
  }
  return true;
}

// Level 1 with the Player walking: up and down across his island, turning every 30 frames, so
// that most frames move him and some find the way blocked.
void PlayFrameWalking(benchmark::State& state) {
  if (const std::string problem = EnterRunCopy(); !problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  if (!Boot(state)) return;
  int frame = 0;
  std::int64_t moving = 0;
  for (auto _ : state) {
    if (frame % 30 == 0) headless::HoldKeys({std::uint8_t(frame % 60 ? DIK_UP : DIK_DOWN)});
    ++frame;
    PlayFrame();
    moving += PlayState.movement.moving;
  }
  state.counters["moving_share"] = double(moving) / (frame > 0 ? frame : 1);
  GameShutdown();
  ResetProgramState();
}
BENCHMARK(PlayFrameWalking)->Unit(benchmark::kMicrosecond);

// A solved level: the banner drawn over the board, and the level menu and the progress kept up
// to date in every frame.
void PlayFrameSolved(benchmark::State& state) {
  if (const std::string problem = EnterRunCopy(); !problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  if (!Boot(state)) return;
  PlayState.solved = 1;
  PlayState.ballsLying = 0;
  for (int i = 0; i < 90; ++i) PlayFrame();  // past the second before the banner
  for (auto _ : state) PlayFrame();
  GameShutdown();
  ResetProgramState();
}
BENCHMARK(PlayFrameSolved)->Unit(benchmark::kMicrosecond);

// GameInit (display, devices, the five sounds, both sheets, every BOB) and the first StartLevel.
void StartUp(benchmark::State& state) {
  if (const std::string problem = EnterRunCopy(); !problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  if (!Boot(state)) return;
  GameShutdown();
  for (auto _ : state) {
    state.PauseTiming();
    OpenWindow();
    state.ResumeTiming();
    GameInit();
    StartLevel();
    state.PauseTiming();
    GameShutdown();
    ResetProgramState();
    state.ResumeTiming();
  }
}
BENCHMARK(StartUp)->Unit(benchmark::kMillisecond);

// A long replay through RunReplay, start-up and shutdown included: walking in every direction,
// restarts, and a stay in the editor with a few clicks and a save.
std::vector<headless::ScriptEvent> LongScript(int* frames) {
  std::string text;
  for (int round = 0; round < 10; ++round) {
    text += "frames 60 RIGHT\nframes 60 DOWN\nframes 60 LEFT\nframes 60 UP\nframes 1 R\n";
    text += "frames 1 D\nframes 2\nclick left 100 100\nclick right 140 140\nframes 30\n";
    text += "frames 1 S\nframes 1 ENTER\nframes 40 RIGHT\n";
  }
  std::vector<headless::ScriptEvent> script;
  std::string error;
  ParseReplayScript(text, &script, &error);
  *frames = 0;
  for (const headless::ScriptEvent& e : script) *frames += e.count;
  return script;
}

void ReplayRunner(benchmark::State& state) {
  if (const std::string problem = EnterRunCopy(); !problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  int frames = 0;
  const std::vector<headless::ScriptEvent> script = LongScript(&frames);
  std::int64_t shown = 0;
  for (auto _ : state) {
    ResetProgramState();
    std::string error;
    RunReplay(script, "", &error);
    shown += headless::FramesPresented();
  }
  ResetProgramState();
  state.counters["frames_per_second"] =
      benchmark::Counter(double(shown), benchmark::Counter::kIsRate);
  state.counters["frames_per_run"] = frames;
}
BENCHMARK(ReplayRunner)->Unit(benchmark::kMillisecond);

}  // namespace
