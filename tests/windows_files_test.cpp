// The Windows files layer's own behaviour: where the game's level.dat goes when the folder of
// yelko.exe cannot be written. (The other file tests run on Windows as they are.)
#ifdef _WIN32
#include <cstdlib>
#include <filesystem>

#include "platform/files.h"
#include "platform/win32/win32_files.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

class WindowsFiles : public testing_support::FreshProgram {
 protected:
  void TearDown() override {
    platform::win32::UseUserFolderFallback(false);
    std::error_code ec;
    fs::permissions(dir_ / "level.dat", fs::perms::owner_write, fs::perm_options::add, ec);
    FreshProgram::TearDown();
  }
  static Bytes Read(const char* path) {
    Bytes out;
    return platform::ReadWholeFile(path, 100, &out) ? out : Bytes{99};
  }
  static void ReadOnly(bool on) {
    fs::permissions("level.dat", fs::perms::owner_write,
                    on ? fs::perm_options::remove : fs::perm_options::add);
  }
};

TEST_F(WindowsFiles, ALevelThatCannotBeWrittenBesideTheGameGoesToTheUserFolder) {
  ASSERT_EQ(::_putenv_s("LOCALAPPDATA", (dir_ / "local").string().c_str()), 0);
  testing_support::WriteBytes("level.dat", {1, 2, 3});
  ReadOnly(true);
  const Bytes next{4, 5};
  // The tools write where they are told, or fail.
  EXPECT_FALSE(platform::ReplaceFileAtomically("level.dat", next.data(), next.size()));

  platform::win32::UseUserFolderFallback(true);
  ASSERT_TRUE(platform::ReplaceFileAtomically("level.dat", next.data(), next.size()));
  EXPECT_EQ(testing_support::ReadBytes("level.dat"), (Bytes{1, 2, 3}));
  EXPECT_EQ(testing_support::ReadBytes((dir_ / "local/Yelko/level.dat").string()), next);
  EXPECT_EQ(Read("level.dat"), next);

  // Once there, it stays there, even when the game's folder can be written again.
  ReadOnly(false);
  const Bytes later{6};
  ASSERT_TRUE(platform::ReplaceFileAtomically("level.dat", later.data(), later.size()));
  EXPECT_EQ(Read("level.dat"), later);
  EXPECT_EQ(testing_support::ReadBytes("level.dat"), (Bytes{1, 2, 3}));
  // Files given by full path never move, and no temporary file is left anywhere.
  ReadOnly(true);
  const std::string full = (dir_ / "level.dat").string();
  EXPECT_FALSE(platform::ReplaceFileAtomically(full.c_str(), later.data(), later.size()));
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir_)) files += entry.is_regular_file();
  EXPECT_EQ(files, 2);
}

}  // namespace
#endif
