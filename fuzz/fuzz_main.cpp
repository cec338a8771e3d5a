// One libFuzzer program per target: the build compiles this file once for each, with
// YELKO_FUZZ_BODY naming the body (fuzz/targets.h).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/targets.h"

#ifndef YELKO_FUZZ_BODY
#error "YELKO_FUZZ_BODY names the target's body"
#endif

namespace {

std::filesystem::path WorkDir;
std::filesystem::path StartDir;

void RemoveWorkDir() {
  std::error_code ec;
  if (!WorkDir.empty()) std::filesystem::remove_all(WorkDir, ec);
}

// A directory in memory when there is one: the editor's saves sync the file to disk.
std::string TempBase() {
  if (const char* t = std::getenv("TMPDIR"); t != nullptr && t[0] == '/') return t;
  if (::access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return "/tmp";
}

}  // namespace

// Every input runs in a private directory that holds the game's files, with the player's data
// directory inside it, so that nothing of the real user's is read or written. The fuzzer's own
// paths (corpus, artifacts) stay relative to where it was started.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string dir = TempBase() + "/yelko-fuzz-XXXXXX";
  if (::mkdtemp(dir.data()) == nullptr) std::abort();
  WorkDir = dir;
  StartDir = std::filesystem::current_path();
  std::atexit(RemoveWorkDir);
  ::setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
  if (::chdir(dir.c_str()) != 0) std::abort();
  fuzz::WriteRunDirectory();
  if (::chdir(StartDir.c_str()) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (::chdir(WorkDir.c_str()) != 0) std::abort();
  const int result = YELKO_FUZZ_BODY(data, size);
  if (::chdir(StartDir.c_str()) != 0) std::abort();
  return result;
}
