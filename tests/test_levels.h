// Small levels written by the tests themselves, and a game booted the way WinMain boots it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct Cell {
  int column;
  int row;
};

struct PlacedPlatform {
  int type;
  int column;
  int row;
};

// A level as a picture: 14 rows of 14 characters, '#' land and anything else water, top row
// first. Missing rows and columns are water.
struct TestLevel {
  std::vector<std::string> map;
  Cell player{0, 0};
  std::vector<Cell> balls;
  std::vector<PlacedPlatform> platforms;
};

// The 300-byte record of the level.
std::vector<std::uint8_t> LevelBytes(const TestLevel& level);
void WriteLevel(const std::string& path, const TestLevel& level);

// Copies the run directory's image sheets, sounds, par.txt and the five shipped levels into the
// current directory.
void CopyRunFiles();

// What WinMain does before its loop: the window with its menu (which reads the saved progress),
// GameInit, and the first StartLevel. Frames are then run by calling PlayFrame or EditorFrame.
void BootGame();

}  // namespace testing_support
