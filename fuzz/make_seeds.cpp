// Writes the fuzzers' seeds that are made rather than written by hand: variants of the five
// fuzz levels (editor/run1..run5, kept as they stand), the game's pieces.bmp and shortest sounds,
// and sheets and sounds (fuzz/odd_files.h) that reach each format's odd corners (short files,
// unended lists, padded rows, top-down images, extra chunks). README.md says which seeds are
// kept as they stand. Run once after changing it:
//
//   yelko_fuzz_seeds fuzz/corpus
//
// It writes the same bytes on every run.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/odd_files.h"

namespace {

using fuzz::Bytes;
using fuzz::MakeBmp;
using fuzz::MakeWav;
namespace fs = std::filesystem;

fs::path OutDir;

Bytes Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
  fs::create_directories(OutDir / target);
  std::ofstream out(OutDir / target / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The bytes with those from offset `at` on replaced by `run`.
Bytes Put(Bytes bytes, std::size_t at, const Bytes& run) {
  std::copy(run.begin(), run.end(), bytes.begin() + std::ptrdiff_t(at));
  return bytes;
}

// ---------------------------------------------------------------------------------------------
// Levels: the record (offsets 196-197 the Player, 198 on the balls, 208 on the platforms), then
// for the level target one byte of keys per frame.

void LevelSeed(const std::string& name, const Bytes& record, const Bytes& keys, bool codec) {
  Seed("level", name, record + keys);
  if (codec) Seed("record", name, record);
}

void LevelSeeds(const std::vector<Bytes>& levels) {
  const Bytes& first = levels[0];
  // The fuzz levels with key patterns: hold right; stand still; wander with a restart; into the
  // editor and out again; Escape at once.
  LevelSeed("run1-right", first, {0x04}, false);
  LevelSeed("run2-still", levels[1], {}, false);
  LevelSeed("run3-wander", levels[2], Bytes(30, 0x04), false);
  LevelSeed("run4-rafts", levels[3], {0x08, 0x08, 0x04, 0x04, 0x10, 0x08}, true);
  LevelSeed("run5-adrift", levels[4], {0x04, 0x08, 0x01, 0x02}, false);
  LevelSeed("editor-and-back", first, {0x04, 0x20, 0x00, 0x40, 0x02}, false);
  LevelSeed("escape", first, {0x80}, false);
  LevelSeed("short", Bytes(first.begin(), first.begin() + 100), {}, true);
  LevelSeed("empty", {}, {}, false);
  LevelSeed("all-ff", Bytes(300, 0xFF), {}, true);
  LevelSeed("all-zero", Bytes(300, 0x00), {0x04}, true);
  // The Player at column -128, row 127, a ball at (-16, 20), a plus hanging off the top-left
  // corner and a square over the bottom-right one.
  LevelSeed("off-board",
            Put(Put(first, 196, {0x80, 0x7F, 0xF0, 20, 255}), 208, {8, 0xFE, 0xFE, 5, 12, 12, 255}),
            {0x01, 0x02}, true);
  Bytes unended = first;
  for (int i = 198; i < 300; ++i) unended[std::size_t(i)] = (i % 3 == 0) ? 1 : 4;
  LevelSeed("unended-lists", unended, {0x04, 0x08}, true);
  LevelSeed("unknown-types", Put(first, 208, {9, 2, 5, 0x7F, 5, 5, 0x80, 8, 5, 3, 11, 5, 255}),
            {0x04}, true);
  // Five balls and no platforms: byte 208 ends both lists; the Player starts on a ball.
  LevelSeed("five-balls", Put(levels[2], 196, {3, 1}), {0x04, 0x04, 0x08}, true);

  Bytes tail = first;
  for (int i = 0; i < 64; ++i) tail.push_back(std::uint8_t(i * 7));
  Seed("editor", "with-tail", tail);
  Seed("editor", "short", Bytes(first.begin(), first.begin() + 40));
  Seed("editor", "empty", {});
  Seed("editor", "all-ff", Bytes(300, 0xFF));
  // Nine platforms, and a fifth ball that does not fit beside them.
  Seed("editor", "too-many-balls", Put(levels[3], 206, {7, 7}));
  // A ball and a platform on the Player's cell, and odd terrain bytes.
  const std::uint8_t column = first[196], row = first[197];
  Seed("editor", "stacked",
       Put(Put(Put(first, 5, {0x80, 0, 3}), 198, {column, row, 255}), 209, {column, row}));
}

// ---------------------------------------------------------------------------------------------
// Image sheets

void ImageSeeds() {
  const Bytes pieces = Read(fs::path(YELKO_GAME_DIR) / "pieces.bmp");
  Seed("image", "pieces", pieces);
  Seed("image", "pieces-cut", Bytes(pieces.begin(), pieces.begin() + 4000));
  Seed("image", "tiny-4x2", MakeBmp({.width = 4, .height = 2}));
  Seed("image", "padded-5x3", MakeBmp({.width = 5, .height = 3}));
  Seed("image", "padded-no-last-pad", MakeBmp({.width = 7, .height = 2, .cut = 3}));
  Seed("image", "top-down", MakeBmp({.width = 6, .height = -3}));
  Seed("image", "v5-header", MakeBmp({.width = 8, .height = 8, .headerSize = 124}));
  Seed("image", "gap-before-pixels", MakeBmp({.width = 4, .height = 4, .gap = 20}));
  Seed("image", "one-pixel", MakeBmp({.width = 1, .height = 1}));
  Seed("image", "bits-32", MakeBmp({.width = 4, .height = 2, .bitCount = 32}));
  Seed("image", "one-platform-cell", MakeBmp({.width = 122, .height = 122}));
  Seed("image", "two-tile-rows", MakeBmp({.width = 83, .height = 83}));
}

// ---------------------------------------------------------------------------------------------
// Sounds

Bytes Samples(int n) {
  Bytes s;
  for (int i = 0; i < n; ++i) s.push_back(std::uint8_t(128 + (i % 16) * 5));
  return s;
}

void SoundSeeds() {
  for (const char* name : {"walk", "crunch"}) {  // the shortest of the game's own
    Seed("sound", name, Read(fs::path(YELKO_GAME_DIR) / (std::string(name) + ".wav")));
  }
  Seed("sound", "pcm16-stereo-22k",
       MakeWav({.channels = 2, .rate = 22050, .bits = 16, .samples = Samples(64)}));
  Seed("sound", "fmt16", MakeWav({.formatBytes = 16, .samples = Samples(21)}));
  Seed("sound", "list-between", MakeWav({.rate = 8000, .list = true, .samples = Samples(33)}));
  Seed("sound", "odd-partial-frame", MakeWav({.channels = 2, .bits = 16, .samples = Samples(7)}));
  Seed("sound", "not-pcm", MakeWav({.tag = 3, .bits = 32, .samples = Samples(16)}));
  Seed("sound", "no-data", MakeWav({.data = false}));
  Seed("sound", "data-too-long", MakeWav({.extraStated = 0xFF00}));
  Seed("sound", "not-wave", MakeWav({.form = "AVI "}));
  Seed("sound", "fmt-not-first", MakeWav({.junkFirst = true}));
  Seed("sound", "empty", {});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: yelko_fuzz_seeds CORPUS_DIR\n");
    return 2;
  }
  OutDir = fs::absolute(argv[1]);
  std::vector<Bytes> levels;
  for (int n = 1; n <= 5; ++n) {
    levels.push_back(Read(OutDir / "editor" / ("run" + std::to_string(n))));
    if (levels.back().size() != 300) {
      std::fprintf(stderr, "yelko_fuzz_seeds: no level in %s/editor/run%d\n", argv[1], n);
      return 1;
    }
  }
  LevelSeeds(levels);
  ImageSeeds();
  SoundSeeds();
  return 0;
}
