// Files on Windows alone: what another program holding a file does to a save.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>
#include <vector>

#include "board/level_file.h"
#include "platform/files.h"
#include "tests/test_support.h"

namespace {

using WindowsFiles = testing_support::FreshProgram;

// A level.dat another program holds open is said as such, and the save goes nowhere else (a
// folder the game may not write sends it to the player's own copy instead).
TEST_F(WindowsFiles, ALevelHeldByAnotherProgramIsSaidAndNotSavedElsewhere) {
  const std::vector<std::uint8_t> before(LevelRecordSize, 3);
  testing_support::WriteBytes("level.dat", before);
  const HANDLE held =
      ::CreateFileW(L"level.dat", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  LevelRecord[0] = 50;
  std::string problem;
  EXPECT_FALSE(SaveLevelFile(&problem));
  ::CloseHandle(held);
  EXPECT_EQ(problem, "another program is using it");
  EXPECT_FALSE(platform::PathExists(platform::UserDataDirectory() + "/level.dat"));
  EXPECT_EQ(testing_support::ReadBytes("level.dat"), before);
}

}  // namespace
#endif
