// Level files: names, loading over the in-memory record, and saves that never lose data.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "board/level_file.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

// A record whose bytes all differ from their neighbours, so a shifted copy shows.
Bytes Pattern(std::uint8_t seed) {
  Bytes bytes(LevelRecordSize);
  for (int i = 0; i < LevelRecordSize; ++i) bytes[i] = std::uint8_t(seed + i * 7);
  return bytes;
}
void SetRecord(const Bytes& bytes) {
  std::memcpy(LevelRecord, bytes.data(), LevelRecordSize);
}
Bytes Record() {
  return Bytes(LevelRecord, LevelRecord + LevelRecordSize);
}
// Only "level.dat" itself may be left in the directory: no temporary file survives a save.
bool OnlyLevelDatLeft() {
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(".")) {
    const std::string name = e.path().filename().string();
    if (name != "data" && name != "level.dat") ++entries;
  }
  return entries == 0;
}

using LevelFiles = testing_support::FreshProgram;

TEST_F(LevelFiles, EachLevelLoadsFromItsOwnFileEvenWhenItIsReadOnly) {
  WriteBytes("level12.dat", Pattern(12));
  WriteBytes("level.dat", Pattern(9));
  ASSERT_EQ(::chmod("level12.dat", 0444), 0);  // loading must not ask for write access
  LoadLevelFile(12);
  EXPECT_EQ(Record(), Pattern(12));
  LoadLevelFile(0);
  EXPECT_EQ(Record(), Pattern(9));
  EXPECT_TRUE(headless::Messages().empty());
}

TEST_F(LevelFiles, ALongFileGivesItsFirst300Bytes) {
  Bytes longer = Pattern(5);
  longer.insert(longer.end(), 50, 0xEE);
  WriteBytes("level4.dat", longer);
  EXPECT_TRUE(LoadLevelFile(4));
  EXPECT_EQ(Record(), Pattern(5));
  EXPECT_TRUE(headless::Messages().empty());
}

TEST_F(LevelFiles, AFileThatCannotBeReadWholeIsReportedByNameAndLeavesTheRecord) {
  SetRecord(Pattern(77));
  std::filesystem::create_directory("level5.dat");
  WriteBytes("level2.dat", Bytes(150, 1));
  WriteBytes("level3.dat", Pattern(3));
  std::vector<std::string> problems;
  for (int level : {6, 5, 2, 3}) {
    std::string problem;
    if (level == 3)
      platform::FailNextFileOp(platform::FaultOp::Read, platform::FileFault::InputOutput);
    EXPECT_FALSE(LoadLevelFile(level, &problem));
    problems.push_back(problem);
  }
  EXPECT_EQ(problems,
            (std::vector<std::string>{
                "level6.dat is missing", "level5.dat is a folder, not a file",
                "level2.dat is 150 bytes, a level is 300",
                "level3.dat cannot be read: " + platform::DescribeFileError(platform::SystemErrorOf(
                                                    platform::FileFault::InputOutput))}));
  EXPECT_EQ(Record(), Pattern(77));
}

TEST_F(LevelFiles, SavingRoundTripsAndKeepsWhatALongerFileHeldBeyondTheRecord) {
  SetRecord(Pattern(42));
  SaveLevelFile();  // creates it
  EXPECT_EQ(ReadBytes("level.dat"), Pattern(42));
  std::memset(LevelRecord, 0, LevelRecordSize);
  LoadLevelFile(0);
  EXPECT_EQ(Record(), Pattern(42));

  Bytes old = Pattern(0);
  old.insert(old.end(), 40, 0xA5);
  WriteBytes("level.dat", old);
  SaveLevelFile();
  Bytes expected = Pattern(42);
  expected.insert(expected.end(), 40, 0xA5);
  EXPECT_EQ(ReadBytes("level.dat"), expected);
  EXPECT_TRUE(headless::Messages().empty());
  EXPECT_TRUE(OnlyLevelDatLeft());
}

// An installed game's folder cannot be written: level.dat goes to the player's data folder and
// is read from there from then on, even once the game's folder could be written again.
TEST_F(LevelFiles, ALevelThatCannotBeSavedBesideTheGameGoesToTheDataFolder) {
  WriteBytes("level.dat", Pattern(1));
  SetRecord(Pattern(2));
  platform::FailNextFileOp(platform::FaultOp::Write, platform::FileFault::NotAllowed);
  ASSERT_TRUE(SaveLevelFile());
  const std::string copy = platform::UserDataDirectory() + "/level.dat";
  EXPECT_EQ(ReadBytes("level.dat"), Pattern(1));
  EXPECT_EQ(ReadBytes(copy), Pattern(2));
  SetRecord(Pattern(3));
  ASSERT_TRUE(SaveLevelFile());
  EXPECT_EQ(ReadBytes(copy), Pattern(3));
  ASSERT_TRUE(LoadLevelFile(0));
  EXPECT_EQ(Record(), Pattern(3));
  EXPECT_EQ(ReadBytes("level.dat"), Pattern(1));
}

TEST_F(LevelFiles, AFailedSaveIsReportedAndKeepsTheOldFile) {
  SetRecord(Pattern(50));
  // A directory in the way: nothing can be written (this fails even for root).
  std::filesystem::create_directory("level.dat");
  WriteBytes("level.dat/inside", {1});
  SaveLevelFile();
  EXPECT_EQ(ReadBytes("level.dat/inside"), Bytes{1});
  std::filesystem::remove_all("level.dat");

  // A full disk is said in plain words.
  platform::FailNextFileOp(platform::FaultOp::Write, platform::FileFault::DiskFull);
  std::string problem;
  EXPECT_FALSE(SaveLevelFile(&problem));
  EXPECT_EQ(problem, "the disk is full");

  // A file far bigger than any level (sparse: it costs no disk) whose tail cannot be carried.
  WriteBytes("level.dat", Pattern(3));
  std::filesystem::resize_file("level.dat", std::uintmax_t(64) << 20);
  SaveLevelFile();
  EXPECT_EQ(std::filesystem::file_size("level.dat"), std::uintmax_t(64) << 20);
  LoadLevelFile(0);
  EXPECT_EQ(Record(), Pattern(3));

  EXPECT_TRUE(OnlyLevelDatLeft());
}

// Paths are UTF-8 in the game: a folder named outside ASCII (a player called Zoë) is made,
// written, read and listed like any other, and a name that is not UTF-8 is simply not found.
TEST_F(LevelFiles, AFolderNamedOutsideAsciiIsMadeWrittenReadAndListed) {
  const std::string folder = "Zo\xC3\xAB-\xD0\x96";  // Zoë-Ж
  ASSERT_TRUE(platform::MakeDirectories(folder));
  const std::string path = folder + "/mine.txt";
  std::string why;
  ASSERT_TRUE(
      platform::ReplaceFileAtomically(path.c_str(), Pattern(1).data(), LevelRecordSize, &why))
      << why;
  Bytes back;
  ASSERT_TRUE(platform::ReadWholeFile(path.c_str(), LevelRecordSize, &back));
  EXPECT_EQ(back, Pattern(1));
  const std::vector<std::string> found = platform::FilesInFolder(folder, ".txt", 10);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_TRUE(found[0].starts_with(folder) && found[0].ends_with("mine.txt")) << found[0];
  EXPECT_TRUE(platform::FilesInFolder("Zo\xEB", ".txt", 10).empty());
}

}  // namespace
