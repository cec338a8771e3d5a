// Files the game reads that are not what they should be, in ways no fuzzer can produce.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app/progress.h"
#include "board/level_file.h"
#include "gfx/bitmap.h"
#include "platform/headless/headless.h"
#include "sound/sound.h"
#include "tests/test_support.h"

namespace {

class RobustFiles : public testing_support::FreshProgram {
 protected:
  // A read that blocks would hang the test: the alarm ends it instead.
  void SetUp() override {
    FreshProgram::SetUp();
    ::alarm(20);
  }
  void TearDown() override {
    ::alarm(0);
    FreshProgram::TearDown();
  }
};

// A named pipe has no writer, so opening it for reading would wait forever: every loader
// refuses it at once, as it refuses any file that is not a regular file.
TEST_F(RobustFiles, NamedPipeInPlaceOfAnyFileIsRefusedAtOnce) {
  for (const char* name : {"level1.dat", "pieces.bmp", "walk.wav"}) {
    ASSERT_EQ(::mkfifo(name, 0644), 0) << name;
  }
  std::filesystem::create_directories("data/yelko");
  ASSERT_EQ(::mkfifo(ProgressFilePath().c_str(), 0644), 0);

  LoadLevelFile(1);
  EXPECT_EQ(headless::Messages(), std::vector<std::string>{"INVALID_HANDLE_VALUE"});
  EXPECT_EQ(LoadProgress(), 1);
  BitmapFile sheet{};
  EXPECT_EQ(LoadBitmapFile(&sheet, "pieces.bmp"), 0u);
  ASSERT_EQ(SoundInit(), 1);
  EXPECT_EQ(LoadWav("walk.wav", 0), -1);
}

}  // namespace
