// Writes the fuzzers' seeds that are made rather than written by hand: variants of the five
// fuzz levels (editor/run1..run5, kept as they stand), the game's pieces.bmp and hand-made
// sheets and sounds that reach each format's odd corners (short files, unended lists, padded
// rows, top-down images, extra chunks). README.md says which seeds are kept as they stand. Run
// once after changing it:
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

namespace {

using Bytes = std::vector<std::uint8_t>;
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

Bytes Le(std::uint32_t value, int bytes) {
  Bytes b;
  for (int i = 0; i < bytes; ++i) b.push_back(std::uint8_t(value >> (8 * i)));
  return b;
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

struct BmpShape {
  int width;
  int height;  // negative: top-down rows
  int headerSize = 40;
  int gap = 0;  // bytes between the headers and the pixels
  int bitCount = 24;
  bool lastPad = true;  // the last row's padding present
};

Bytes Bmp(const BmpShape& s) {
  const int rows = s.height < 0 ? -s.height : s.height;
  const int rowBytes = (s.width * 3 + 3) & ~3;
  const std::uint32_t offset = 14 + s.headerSize + s.gap;
  Bytes b = Bytes{'B', 'M'} + Le(offset + rowBytes * rows, 4) + Le(0, 4) + Le(offset, 4) +
            Le(std::uint32_t(s.headerSize), 4) + Le(std::uint32_t(s.width), 4) +
            Le(std::uint32_t(s.height), 4) + Le(1, 2) + Le(std::uint32_t(s.bitCount), 2);
  b.resize(offset, 0);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < s.width; ++x) {
      b.push_back(std::uint8_t(x * 37));
      b.push_back(std::uint8_t(y * 53));
      b.push_back(std::uint8_t((x + y) % 2 ? 0 : 200));
    }
    if (y + 1 < rows || s.lastPad) b.resize(b.size() + rowBytes - s.width * 3, 0);
  }
  return b;
}

void ImageSeeds() {
  const Bytes pieces = Read(fs::path(YELKO_GAME_DIR) / "pieces.bmp");
  Seed("image", "pieces", pieces);
  Seed("image", "pieces-cut", Bytes(pieces.begin(), pieces.begin() + 4000));
  Seed("image", "tiny-4x2", Bmp({4, 2}));
  Seed("image", "padded-5x3", Bmp({5, 3}));
  Seed("image", "padded-no-last-pad", Bmp({7, 2, 40, 0, 24, false}));
  Seed("image", "top-down", Bmp({6, -3}));
  Seed("image", "v5-header", Bmp({8, 8, 124}));
  Seed("image", "gap-before-pixels", Bmp({4, 4, 40, 20}));
  Seed("image", "one-pixel", Bmp({1, 1}));
  Seed("image", "bits-32", Bmp({4, 2, 40, 0, 32}));
  Seed("image", "one-platform-cell", Bmp({122, 122}));
  Seed("image", "two-tile-rows", Bmp({83, 83}));
}

// ---------------------------------------------------------------------------------------------
// Sounds

Bytes Chunk(const char* id, const Bytes& data) {
  Bytes b = Bytes(id, id + 4) + Le(std::uint32_t(data.size()), 4) + data;
  if (data.size() % 2) b.push_back(0);
  return b;
}

Bytes Fmt(int tag, int channels, std::uint32_t rate, int bits, int extra = -1) {
  Bytes f = Le(tag, 2) + Le(channels, 2) + Le(rate, 4) + Le(rate * channels * bits / 8, 4) +
            Le(channels * bits / 8, 2) + Le(bits, 2);
  return extra >= 0 ? f + Le(extra, 2) : f;
}

Bytes Riff(const char* form, const Bytes& chunks) {
  return Bytes{'R', 'I', 'F', 'F'} + Le(std::uint32_t(4 + chunks.size()), 4) +
         Bytes(form, form + 4) + chunks;
}

Bytes Wave(const Bytes& fmt, const Bytes& samples) {
  return Riff("WAVE", Chunk("fmt ", fmt) + Chunk("data", samples));
}

Bytes Samples(int n) {
  Bytes s;
  for (int i = 0; i < n; ++i) s.push_back(std::uint8_t(128 + (i % 16) * 5));
  return s;
}

void SoundSeeds() {
  const Bytes mono8 = Fmt(1, 1, 11025, 8);
  // Square waves of a few hundred samples.
  const std::pair<int, int> squares[] = {{200, 9}, {300, 25}, {150, 3}, {400, 7}, {500, 11}};
  for (int n = 0; n < 5; ++n) {
    Bytes wave;
    for (int i = 0; i < squares[n].first; ++i) wave.push_back(i / squares[n].second % 2 ? 160 : 96);
    Seed("sound", "run" + std::to_string(n + 1), Wave(mono8, wave));
  }
  Seed("sound", "pcm16-stereo-22k", Wave(Fmt(1, 2, 22050, 16), Samples(64)));
  Seed("sound", "fmt18", Wave(Fmt(1, 1, 11025, 8, 0), Samples(21)));
  Seed("sound", "list-between",
       Riff("WAVE", Chunk("fmt ", Fmt(1, 1, 8000, 8)) +
                        Chunk("LIST", {'I', 'N', 'F', 'O', 1, 2, 3}) + Chunk("data", Samples(33))));
  Seed("sound", "odd-partial-frame", Wave(Fmt(1, 2, 11025, 16), Samples(7)));
  Seed("sound", "not-pcm", Wave(Fmt(3, 1, 11025, 32), Samples(16)));
  Seed("sound", "no-data", Riff("WAVE", Chunk("fmt ", mono8)));
  // The data chunk claims far more than the file holds.
  Seed("sound", "data-too-long", Put(Wave(mono8, Samples(8)), 40, {0xFF}));
  Seed("sound", "not-wave", Riff("AVI ", Chunk("fmt ", mono8) + Chunk("data", Samples(8))));
  Seed(
      "sound", "fmt-not-first",
      Riff("WAVE", Chunk("junk", {1, 0, 1, 0}) + Chunk("fmt ", mono8) + Chunk("data", Samples(8))));
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
