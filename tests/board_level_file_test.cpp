// Level files: names, loading over the in-memory record, and saves that never lose data.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "board/level_file.h"
#include "platform/headless/headless.h"
#include "tests/test_support.h"

namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

class LevelFiles : public testing_support::FreshProgram {
 protected:
  // A record whose every byte differs from its neighbours, so a shifted copy shows.
  static std::vector<std::uint8_t> Pattern(std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(LevelRecordSize);
    for (int i = 0; i < LevelRecordSize; ++i) bytes[i] = std::uint8_t(seed + i * 7);
    return bytes;
  }
  static void SetRecord(const std::vector<std::uint8_t>& bytes) {
    std::memcpy(LevelRecord, bytes.data(), LevelRecordSize);
  }
  static std::vector<std::uint8_t> Record() {
    return std::vector<std::uint8_t>(LevelRecord, LevelRecord + LevelRecordSize);
  }
  // Files in the current directory other than the given ones (leftover temporaries).
  static std::vector<std::string> Strays(const std::vector<std::string>& expected) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
      const std::string name = entry.path().filename().string();
      if (name == "data") continue;
      bool known = false;
      for (const auto& e : expected) known = known || e == name;
      if (!known) found.push_back(name);
    }
    return found;
  }
};

TEST_F(LevelFiles, NamesFollowTheLevelNumber) {
  EXPECT_EQ(LevelFileName(1), "level1.dat");
  EXPECT_EQ(LevelFileName(3), "level3.dat");
  EXPECT_EQ(LevelFileName(12), "level12.dat");
  EXPECT_EQ(LevelFileName(255), "level255.dat");
  EXPECT_EQ(LevelFileName(0), "level.dat");
  EXPECT_EQ(LevelFileName(-4), "level.dat");
}

TEST_F(LevelFiles, ALevelLoadsFromItsOwnFile) {
  WriteBytes("level3.dat", Pattern(3));
  WriteBytes("level.dat", Pattern(9));
  LoadLevelFile(3);
  EXPECT_EQ(Record(), Pattern(3));
  LoadLevelFile(0);
  EXPECT_EQ(Record(), Pattern(9));
  EXPECT_TRUE(headless::Messages().empty());
}

TEST_F(LevelFiles, SaveThenLoadGivesTheSameRecord) {
  SetRecord(Pattern(42));
  SaveLevelFile();
  EXPECT_EQ(ReadBytes("level.dat"), Pattern(42));
  std::memset(LevelRecord, 0, LevelRecordSize);
  LoadLevelFile(0);
  EXPECT_EQ(Record(), Pattern(42));
  EXPECT_TRUE(headless::Messages().empty());
  EXPECT_TRUE(Strays({"level.dat"}).empty());
}

TEST_F(LevelFiles, AShortFileReplacesOnlyItsLeadingBytesAndALongOneOnlyItsFirst300) {
  SetRecord(Pattern(1));
  WriteBytes("level1.dat", {9, 8, 7});
  LoadLevelFile(1);
  std::vector<std::uint8_t> expected = Pattern(1);
  expected[0] = 9;
  expected[1] = 8;
  expected[2] = 7;
  EXPECT_EQ(Record(), expected);

  // An empty file changes nothing and is no failure.
  WriteBytes("level2.dat", {});
  LoadLevelFile(2);
  EXPECT_EQ(Record(), expected);

  std::vector<std::uint8_t> longer = Pattern(5);
  longer.insert(longer.end(), 50, 0xEE);
  WriteBytes("level4.dat", longer);
  LoadLevelFile(4);
  EXPECT_EQ(Record(), Pattern(5));
  EXPECT_TRUE(headless::Messages().empty());
}

TEST_F(LevelFiles, AFileThatCannotBeOpenedIsReportedAndLeavesTheRecord) {
  SetRecord(Pattern(77));
  LoadLevelFile(6);  // missing
  std::filesystem::create_directory("level5.dat");
  LoadLevelFile(5);  // not a file
  EXPECT_EQ(headless::Messages(),
            (std::vector<std::string>{"INVALID_HANDLE_VALUE", "INVALID_HANDLE_VALUE"}));
  EXPECT_EQ(Record(), Pattern(77));
}

TEST_F(LevelFiles, AReadOnlyFileLoads) {
  WriteBytes("level2.dat", Pattern(2));
  ASSERT_EQ(::chmod("level2.dat", 0444), 0);
  LoadLevelFile(2);
  EXPECT_EQ(Record(), Pattern(2));
  EXPECT_TRUE(headless::Messages().empty());
  // Loading opened it for reading only: it is still read-only and unchanged.
  struct stat st {};
  ASSERT_EQ(::stat("level2.dat", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  EXPECT_EQ(ReadBytes("level2.dat"), Pattern(2));
}

TEST_F(LevelFiles, SavingKeepsWhatALongerFileHeldBeyondTheRecord) {
  std::vector<std::uint8_t> old = Pattern(0);
  for (int i = 0; i < 40; ++i) old.push_back(std::uint8_t(0xA0 + i));
  WriteBytes("level.dat", old);
  SetRecord(Pattern(100));
  SaveLevelFile();
  std::vector<std::uint8_t> expected = Pattern(100);
  expected.insert(expected.end(), old.begin() + LevelRecordSize, old.end());
  EXPECT_EQ(ReadBytes("level.dat"), expected);

  // A shorter file is simply replaced by the whole record.
  WriteBytes("level.dat", {1, 2, 3});
  SaveLevelFile();
  EXPECT_EQ(ReadBytes("level.dat"), Pattern(100));
  EXPECT_TRUE(headless::Messages().empty());
  EXPECT_TRUE(Strays({"level.dat"}).empty());
}

TEST_F(LevelFiles, AFailedSaveIsReportedAndKeepsTheOldFile) {
  SetRecord(Pattern(50));
  // "level.dat" is a directory: nothing can be written there.
  std::filesystem::create_directory("level.dat");
  WriteBytes("level.dat/inside", {1});
  SaveLevelFile();
  EXPECT_EQ(headless::Messages(), std::vector<std::string>{"INVALID_HANDLE_VALUE"});
  EXPECT_TRUE(std::filesystem::is_directory("level.dat"));
  EXPECT_EQ(ReadBytes("level.dat/inside"), std::vector<std::uint8_t>{1});
  EXPECT_TRUE(Strays({"level.dat"}).empty());
}

TEST_F(LevelFiles, AFileTooBigToCarryOverIsLeftAlone) {
  // Sparse, so it costs no disk: far more than any level, and its tail cannot be kept.
  WriteBytes("level.dat", Pattern(3));
  std::filesystem::resize_file("level.dat", std::uintmax_t(64) << 20);
  SetRecord(Pattern(60));
  SaveLevelFile();
  EXPECT_EQ(headless::Messages(), std::vector<std::string>{"INVALID_HANDLE_VALUE"});
  EXPECT_EQ(std::filesystem::file_size("level.dat"), std::uintmax_t(64) << 20);
  LoadLevelFile(0);
  EXPECT_EQ(Record(), Pattern(3));
  EXPECT_TRUE(Strays({"level.dat"}).empty());
}

TEST_F(LevelFiles, AnUnwritableDirectoryFailsTheSaveWithoutHarm) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  WriteBytes("level.dat", Pattern(4));
  SetRecord(Pattern(70));
  ASSERT_EQ(::chmod(".", 0555), 0);
  SaveLevelFile();
  ::chmod(".", 0755);
  EXPECT_EQ(headless::Messages(), std::vector<std::string>{"INVALID_HANDLE_VALUE"});
  EXPECT_EQ(ReadBytes("level.dat"), Pattern(4));
}

}  // namespace
