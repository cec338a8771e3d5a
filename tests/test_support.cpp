#include "tests/test_support.h"

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "app/program_state.h"
#include "app/progress.h"
#include "app/replay.h"
#include "midend/game.h"
#include "play/rules.h"

namespace testing_support {
namespace {

// A new, empty directory of this test's own under the system's temporary directory.
std::filesystem::path MakeScratchDirectory() {
  static std::uint64_t serial =
      std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  std::filesystem::path dir;
  std::error_code ec;
  do {  // create_directory is false for a name already taken
    dir = std::filesystem::temp_directory_path() / ("yelko-test-" + std::to_string(++serial));
  } while (!std::filesystem::create_directory(dir, ec) && !ec);
  return ec ? std::filesystem::path() : dir;
}

}  // namespace

void FreshProgram::SetUp() {
  oldDir_ = std::filesystem::current_path();
  dir_ = MakeScratchDirectory();
  ASSERT_FALSE(dir_.empty());
  std::filesystem::current_path(dir_);
#ifdef _WIN32
  ::_putenv_s("XDG_DATA_HOME", (dir_ / "data").string().c_str());
#else
  ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
#endif
  ResetProgramState();
}

void FreshProgram::TearDown() {
  ResetProgramState();
  std::filesystem::current_path(oldDir_);
  std::error_code ec;
  std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(dir_, ec);
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool GameSolves(const std::vector<std::uint8_t>& bytes, const std::string& moves) {
  ResetProgramState();
  WriteBytes("level.dat", bytes);
  SetProgressOverride(true, 0);
  std::vector<headless::ScriptEvent> script;
  std::string error;
  EXPECT_TRUE(ParseReplayScript(SolutionScript(moves), &script, &error)) << error;
  RunReplay(std::move(script), "", &error);
  const bool solved = PlayState.solved == 1 && BallsLeft(PlayState) == 0;
  ResetProgramState();
  return solved;
}

std::string SourceDir() {
  return YELKO_SOURCE_DIR;
}
std::string GameDir() {
  return YELKO_GAME_DIR;
}

}  // namespace testing_support
