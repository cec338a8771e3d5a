// Small levels written by the tests themselves, and a game booted the way WinMain boots it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/level_record.h"

namespace testing_support {

// A column and a row, as the record stores them.
using Cell = LevelBall;

// A level as a picture: 14 rows of 14 characters, '#' land and anything else water, top row
// first. Missing rows and columns are water.
struct TestLevel {
  std::vector<std::string> map;
  Cell player;
  std::vector<Cell> balls;
  std::vector<LevelPlatform> platforms;
};

// The 300-byte record of the level.
std::vector<std::uint8_t> LevelBytes(const TestLevel& level);
void WriteLevel(const std::string& path, const TestLevel& level);

// What WinMain does before its loop: the window with its menu (which reads the saved progress),
// GameInit, and the first StartLevel. Frames are then run by calling PlayFrame or EditorFrame.
void BootGame();

}  // namespace testing_support
