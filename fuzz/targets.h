// The fuzz targets' bodies: each takes one input (bytes from a file the game did not write),
// pushes it through the real game on the headless backend, and checks what must hold whatever
// the input was. The libFuzzer programs in this folder call them, and so does the regression
// test that replays every input the fuzzers ever found (tests/robust_fuzz_regressions_test.cpp).
//
// Every body works in the current directory, which must have been prepared once with
// WriteRunDirectory(), and with XDG_DATA_HOME pointing at a private directory. Each starts from
// a fresh program state, puts back the run files and player's data it uses, and leaves a fresh
// program state behind, so inputs never influence one another.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

using Body = int (*)(const std::uint8_t* data, std::size_t size);

// A level file: the first 300 bytes are written as level1.dat, the game boots on it and plays
// 200 frames; each byte after the first 300 holds the keys of one frame (used in turn): bit 0..3
// the arrows left, up, right, down, bit 4 R, bit 5 D, bit 6 Enter, bit 7 Escape.
int LevelFile(const std::uint8_t* data, std::size_t size);
// The whole input is "level.dat": the editor loads it (L), saves it (S), loads it again and goes
// back to play for a few frames.
int EditorLevel(const std::uint8_t* data, std::size_t size);
// An image sheet: loaded, then every BOB of the game cut from it (40 x 40 and 120 x 120 cells)
// and drawn.
int ImageSheet(const std::uint8_t* data, std::size_t size);
// A sound file: loaded into a slot, played, stopped and released.
int SoundFile(const std::uint8_t* data, std::size_t size);
// The saved-progress file: the game starts on it and plays a few frames.
int Progress(const std::uint8_t* data, std::size_t size);
// A replay script: parsed, and when it is short enough, run through the whole game.
int ReplayScript(const std::uint8_t* data, std::size_t size);

// Any 300 bytes (shorter inputs filled with 255): decoded and encoded again by the record codec,
// they give back the level the game reads, and the game sets both up alike.
int LevelRecordCodec(const std::uint8_t* data, std::size_t size);
// Any text, as a level's text, a collection, a puzzle code (each a file or a paste from
// outside) and a records file: each reads it or says why not, and what it reads writes back to
// a text that reads the same. And as the keys file: the keys it leaves are known and held once
// an action, and reading it again changes nothing.
int LevelTexts(const std::uint8_t* data, std::size_t size);
struct Target {
  const char* name;  // also the folder of its corpus and regressions
  Body body;
};
inline constexpr Target Targets[] = {
    {"level", LevelFile},         {"editor", EditorLevel}, {"image", ImageSheet},
    {"sound", SoundFile},         {"progress", Progress},  {"replay", ReplayScript},
    {"record", LevelRecordCodec}, {"text", LevelTexts},
};

// Copies the game's data files (its levels, image sheets, sounds and par.txt) from the build's
// run directory into the current directory. The unit tests set up with it too.
void CopyGameFiles();

// CopyGameFiles, with level 2 changed so that it is solved where it starts.
void WriteRunDirectory();

// Called when a body finds something that must not happen. By default it prints what and
// aborts, which is what a fuzzer needs; a test may install its own.
using BrokenHandler = void (*)(const char* what);
void SetBrokenHandler(BrokenHandler handler);

}  // namespace fuzz
