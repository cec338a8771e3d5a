#include "tests/test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "app/program_state.h"

namespace testing_support {

void FreshProgram::SetUp() {
  oldDir_ = std::filesystem::current_path();
  std::string templ = (std::filesystem::temp_directory_path() / "yelko-test-XXXXXX").string();
  ASSERT_NE(::mkdtemp(templ.data()), nullptr);
  dir_ = templ;
  std::filesystem::current_path(dir_);
  ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
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

std::string SourceDir() {
  return YELKO_SOURCE_DIR;
}
std::string GameDir() {
  return YELKO_GAME_DIR;
}

}  // namespace testing_support
