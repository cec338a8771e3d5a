// What the benchmarks share: where the game's data files are.
#pragma once

#include <cstdlib>
#include <filesystem>

// The run directory: $YELKO_GAME_DIR, or build/game beside build/bench/yelko_bench.
inline std::filesystem::path BenchGameDir() {
  if (const char* dir = std::getenv("YELKO_GAME_DIR"); dir != nullptr && dir[0] != '\0') {
    return dir;
  }
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().parent_path() / "game";
}
