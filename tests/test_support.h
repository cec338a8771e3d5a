// What every test starts from: a fresh program (all program-wide state zero, a new headless
// backend) in a directory of its own, with the player's data directory inside it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

class FreshProgram : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::filesystem::path dir_;
  std::filesystem::path oldDir_;
};

// Writes bytes to a file in the current directory.
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::string& path);

// Plays the moves (L U R D) in the game, frame by frame through the replay runner, from the
// start of the level with these bytes (written to level.dat in the current directory); whether
// the level is then solved. The program is reset before and after.
bool GameSolves(const std::vector<std::uint8_t>& bytes, const std::string& moves);

// The source tree's directory (for data files committed beside the tests).
std::string SourceDir();
// The run directory with the game's data files, as the build lays it out.
std::string GameDir();

}  // namespace testing_support
