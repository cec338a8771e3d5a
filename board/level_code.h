// Puzzle codes: a level as a short line of text, safe in an address and in a chat message, that
// sets up the same game on every copy of every version.
//
// A code holds what the game sets up from a record: each cell as land or water, the Player's
// start, the balls and the platforms in their order. It is a format letter, the level's bits six
// to a character (A-Z a-z 0-9 - _), and a check character that refuses any code with one
// character changed. The format letters never change meaning:
//   Y  every object on the board and every platform of a known type (all the editor and the
//      generator make): at most 62 characters;
//   Z  anything else a record can hold (objects off the board, unknown platform types), each
//      coordinate as its byte: at most 88 characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "board/level_file.h"

inline constexpr std::size_t MaxShortCodeLength = 62;

std::string LevelCode(const std::uint8_t record[LevelRecordSize]);

// Writes the record a code stands for: land 1, water 2, the lists ended by 255 and every byte
// after them 255, as the level compiler writes a level. Blanks around the code are ignored. A
// code that is not one, or is mistyped, gives false with *why saying so, and the record as it
// was.
bool RecordFromCode(std::string_view code, std::uint8_t record[LevelRecordSize], std::string* why);
