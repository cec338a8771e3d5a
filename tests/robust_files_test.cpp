// Files the game reads that are not what they should be, in ways no fuzzer can produce.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "app/notices.h"
#include "app/progress.h"
#include "board/level_file.h"
#include "gfx/bitmap.h"
#include "platform/files.h"
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

  EXPECT_FALSE(LoadLevelFile(1));
  EXPECT_EQ(LoadProgress(), 1);
  BitmapFile sheet{};
  EXPECT_EQ(LoadBitmapFile(&sheet, "pieces.bmp"), 0u);
  ASSERT_EQ(SoundInit(), 1);
  EXPECT_EQ(LoadWav("walk.wav", 0), -1);
}

// A save replaces a regular file or nothing: a pipe, a device or a folder in its place is
// refused, a link is replaced by a file of the game's own (its target's bytes are never
// copied), a replaced file keeps its permission bits, and the leftovers of killed saves go.
TEST_F(RobustFiles, AtomicReplaceReplacesARegularFileOrNothing) {
  const std::vector<std::uint8_t> data{1, 2, 3};
  std::string why;
  ASSERT_EQ(::mkfifo("pipe", 0644), 0);
  EXPECT_FALSE(platform::ReplaceFileAtomically("pipe", data.data(), data.size(), &why));
  EXPECT_EQ(why, "it is not a regular file");
  EXPECT_FALSE(platform::ReplaceFileAtomically("/dev/null", data.data(), data.size(), &why));
  std::filesystem::create_directory("folder");
  EXPECT_FALSE(platform::ReplaceFileAtomically("folder", data.data(), data.size(), &why));
  EXPECT_EQ(why, "it is a folder, not a file");
  EXPECT_TRUE(std::filesystem::is_fifo("pipe"));

  // A level.dat that links to a private file: the save writes only the record.
  std::vector<std::uint8_t> secret(400, 0x5A);
  testing_support::WriteBytes("secret", secret);
  std::filesystem::create_symlink("secret", "level.dat");
  ASSERT_TRUE(SaveLevelFile());
  EXPECT_FALSE(std::filesystem::is_symlink("level.dat"));
  EXPECT_EQ(std::filesystem::file_size("level.dat"), std::uintmax_t(LevelRecordSize));
  EXPECT_EQ(testing_support::ReadBytes("secret"), secret);

  ASSERT_EQ(::chmod("level.dat", 0600), 0);
  ASSERT_TRUE(SaveLevelFile());
  struct stat st {};
  ASSERT_EQ(::stat("level.dat", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // The game knows its own temporary files: a stale one goes, a fresh one and others stay.
  for (const char* name : {".level.dat.yelko-tmp-old", ".level.dat.yelko-tmp-new", "keep"}) {
    testing_support::WriteBytes(name, data);
  }
  std::filesystem::last_write_time(
      ".level.dat.yelko-tmp-old",
      std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2));
  platform::RemoveStaleTemporaryFiles("");
  EXPECT_FALSE(std::filesystem::exists(".level.dat.yelko-tmp-old"));
  EXPECT_TRUE(std::filesystem::exists(".level.dat.yelko-tmp-new") &&
              std::filesystem::exists("keep"));
}

// A failed write of the progress is said once and the stored value stands; the game tries again
// only for a new value, not in every frame.
TEST_F(RobustFiles, AFailedProgressSaveIsSaidAndTheOldValueStands) {
  const std::string data = "data/yelko/";
  std::filesystem::create_directories(data);
  testing_support::WriteBytes(data + "Level", {1});
  platform::FailNextFileOp(platform::FaultOp::Write, platform::FileFault::DiskFull);
  SaveProgress(2);
  EXPECT_EQ(CurrentNotice(), "Could not save your progress: the disk is full");
  EXPECT_EQ(testing_support::ReadBytes(data + "Level"), std::vector<std::uint8_t>{1});
  EXPECT_EQ(testing_support::ReadBytes(data + "Reached"), std::vector<std::uint8_t>{2});
  platform::FailNextFileOp(platform::FaultOp::Write, platform::FileFault::DiskFull);
  SaveProgress(2);
  EXPECT_NE(platform::TakeFileFault(platform::FaultOp::Write), 0);  // nothing was written
  SaveProgress(3);
  EXPECT_EQ(testing_support::ReadBytes(data + "Level"), std::vector<std::uint8_t>{3});
  EXPECT_EQ(testing_support::ReadBytes(data + "Reached"), std::vector<std::uint8_t>{3});
  EXPECT_EQ(CurrentNotice(), "");
}

}  // namespace
