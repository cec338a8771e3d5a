// Writes the fuzzers' seed corpora: the run directory's own levels, sheets and sounds, and
// hand-made variants of each format that reach its odd corners (short files, unended lists,
// padded rows, top-down images, extra chunks). Run once after changing it:
//
//   yelko_fuzz_seeds fuzz/corpus
//
// It writes the same bytes on every run.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/targets.h"

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

void Seed(const std::string& target, const std::string& name, const std::string& text) {
  Seed(target, name, Bytes(text.begin(), text.end()));
}

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void Put4(Bytes& b, const char* s) {
  b.insert(b.end(), s, s + 4);
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---------------------------------------------------------------------------------------------
// Levels

Bytes WithKeys(const Bytes& level, const Bytes& keys) {
  return Concat(level, keys);
}

void LevelSeeds(const std::vector<Bytes>& levels) {
  const Bytes& first = levels[0];
  // The run levels with key patterns: hold right; right then down; wander with a restart;
  // into the editor and out again; Escape at once.
  Seed("level", "run1-right", WithKeys(first, {0x04}));
  Seed("level", "run2-still", levels[1]);
  Seed("level", "run3-wander", WithKeys(levels[2], Bytes(30, 0x04)));
  Seed("level", "run4-rafts", WithKeys(levels[3], {0x08, 0x08, 0x04, 0x04, 0x10, 0x08}));
  Seed("level", "run5-adrift", WithKeys(levels[4], {0x04, 0x08, 0x01, 0x02}));
  Seed("level", "editor-and-back", WithKeys(first, {0x04, 0x20, 0x00, 0x40, 0x02}));
  Seed("level", "escape", WithKeys(first, {0x80}));
  Seed("level", "short", Bytes(first.begin(), first.begin() + 100));
  Seed("level", "empty", Bytes{});
  Seed("level", "all-ff", Bytes(300, 0xFF));
  Seed("level", "all-zero", WithKeys(Bytes(300, 0x00), {0x04}));

  Bytes offBoard = first;
  offBoard[196] = 0x80;  // Player at column -128, row 127
  offBoard[197] = 0x7F;
  offBoard[198] = 0xF0;  // a ball at (-16, 20)
  offBoard[199] = 20;
  offBoard[200] = 255;
  offBoard[208] = 8;  // a plus hanging off the top-left corner
  offBoard[209] = 0xFE;
  offBoard[210] = 0xFE;
  offBoard[211] = 5;  // a square over the bottom-right corner
  offBoard[212] = 12;
  offBoard[213] = 12;
  offBoard[214] = 255;
  Seed("level", "off-board", WithKeys(offBoard, {0x01, 0x02}));

  Bytes unended = first;
  for (int i = 198; i < 300; ++i) unended[i] = (i % 3 == 0) ? 1 : 4;
  Seed("level", "unended-lists", WithKeys(unended, {0x04, 0x08}));

  Bytes unknown = first;
  const std::uint8_t types[] = {9, 0x7F, 0x80, 3};
  for (int i = 0; i < 4; ++i) {
    unknown[208 + 3 * i] = types[i];
    unknown[209 + 3 * i] = std::uint8_t(2 + 3 * i);
    unknown[210 + 3 * i] = 5;
  }
  unknown[220] = 255;
  Seed("level", "unknown-types", WithKeys(unknown, {0x04}));

  // Five balls and no platforms: byte 208 ends both lists; the Player starts on a ball.
  Bytes five = levels[2];
  five[196] = 3;
  five[197] = 1;
  Seed("level", "five-balls", WithKeys(five, {0x04, 0x04, 0x08}));
}

void EditorSeeds(const std::vector<Bytes>& levels) {
  for (std::size_t i = 0; i < levels.size(); ++i) {
    Seed("editor", "run" + std::to_string(i + 1), levels[i]);
  }
  Bytes tail = levels[0];
  for (int i = 0; i < 64; ++i) tail.push_back(std::uint8_t(i * 7));
  Seed("editor", "with-tail", tail);
  Seed("editor", "short", Bytes(levels[0].begin(), levels[0].begin() + 40));
  Seed("editor", "empty", Bytes{});
  Seed("editor", "all-ff", Bytes(300, 0xFF));
  Bytes crowded = levels[3];  // nine platforms, and a fifth ball that does not fit beside them
  crowded[206] = 7;
  crowded[207] = 7;
  Seed("editor", "too-many-balls", crowded);
  Bytes stacked = levels[0];  // ball and platform on the Player's cell, terrain bytes odd
  stacked[198] = stacked[196];
  stacked[199] = stacked[197];
  stacked[200] = 255;
  stacked[209] = stacked[196];
  stacked[210] = stacked[197];
  stacked[5] = 0x80;
  stacked[6] = 0;
  stacked[7] = 3;
  Seed("editor", "stacked", stacked);
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
  Bytes b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, offset + rowBytes * rows);
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, std::uint32_t(s.headerSize));
  Put32(b, std::uint32_t(s.width));
  Put32(b, std::uint32_t(s.height));
  Put16(b, 1);
  Put16(b, std::uint32_t(s.bitCount));
  for (int i = 0; i < 6; ++i) Put32(b, 0);
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

void ImageSeeds(const Bytes& pieces) {
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

Bytes Chunk(const char* id, const Bytes& data, bool pad = true) {
  Bytes b;
  Put4(b, id);
  Put32(b, std::uint32_t(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  if (pad && data.size() % 2) b.push_back(0);
  return b;
}

Bytes Fmt(int tag, int channels, std::uint32_t rate, int bits, int extra = -1) {
  Bytes f;
  Put16(f, std::uint32_t(tag));
  Put16(f, std::uint32_t(channels));
  Put32(f, rate);
  Put32(f, rate * channels * bits / 8);
  Put16(f, std::uint32_t(channels * bits / 8));
  Put16(f, std::uint32_t(bits));
  if (extra >= 0) Put16(f, std::uint32_t(extra));
  return f;
}

Bytes Riff(const char* form, const Bytes& chunks) {
  Bytes b;
  Put4(b, "RIFF");
  Put32(b, std::uint32_t(4 + chunks.size()));
  Put4(b, form);
  return Concat(b, chunks);
}

Bytes Samples(int n) {
  Bytes s;
  for (int i = 0; i < n; ++i) s.push_back(std::uint8_t(128 + (i % 16) * 5));
  return s;
}

void SoundSeeds(const std::vector<Bytes>& sounds) {
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    Seed("sound", "run" + std::to_string(i + 1), sounds[i]);
  }
  Seed("sound", "pcm16-stereo-22k",
       Riff("WAVE", Concat(Chunk("fmt ", Fmt(1, 2, 22050, 16)), Chunk("data", Samples(64)))));
  Seed("sound", "fmt18",
       Riff("WAVE", Concat(Chunk("fmt ", Fmt(1, 1, 11025, 8, 0)), Chunk("data", Samples(21)))));
  Seed("sound", "list-between",
       Riff("WAVE", Concat(Concat(Chunk("fmt ", Fmt(1, 1, 8000, 8)),
                                  Chunk("LIST", Bytes{'I', 'N', 'F', 'O', 1, 2, 3})),
                           Chunk("data", Samples(33)))));
  Seed("sound", "odd-partial-frame",
       Riff("WAVE", Concat(Chunk("fmt ", Fmt(1, 2, 11025, 16)), Chunk("data", Samples(7)))));
  Seed("sound", "not-pcm",
       Riff("WAVE", Concat(Chunk("fmt ", Fmt(3, 1, 11025, 32)), Chunk("data", Samples(16)))));
  Seed("sound", "no-data", Riff("WAVE", Chunk("fmt ", Fmt(1, 1, 11025, 8))));
  Bytes liar = Riff("WAVE", Concat(Chunk("fmt ", Fmt(1, 1, 11025, 8)), Chunk("data", Samples(8))));
  liar[liar.size() - 12] = 0xFF;  // the data chunk claims far more than the file holds
  Seed("sound", "data-too-long", liar);
  Seed("sound", "not-wave",
       Riff("AVI ", Concat(Chunk("fmt ", Fmt(1, 1, 11025, 8)), Chunk("data", Samples(8)))));
  Seed("sound", "fmt-not-first",
       Riff("WAVE",
            Concat(Concat(Chunk("junk", Bytes{1, 0, 1, 0}), Chunk("fmt ", Fmt(1, 1, 11025, 8))),
                   Chunk("data", Samples(8)))));
  Seed("sound", "empty", Bytes{});
}

// ---------------------------------------------------------------------------------------------
// Saved progress and replay scripts

void ProgressSeeds() {
  for (int level : {0, 1, 2, 3, 4, 5, 6, 7, 255}) {
    Seed("progress", "level-" + std::to_string(level), Bytes{std::uint8_t(level)});
  }
  Seed("progress", "empty", Bytes{});
  Seed("progress", "two-bytes", Bytes{3, 3});
}

void ReplaySeeds() {
  Seed("replay", "walk",
       "# level 1: onto the raft and across\nframes 40 RIGHT\nframes 10\nframes 60 RIGHT\n");
  Seed("replay", "editor",
       "frames 1 D\nframes 2\nclick left 45 45\nclick right 85 45\nclick right 85 45\n"
       "frames 3\nframes 2 S\nframes 1 L\nframes 1 ENTER\nframes 20 DOWN\n");
  Seed("replay", "menus",
       "menu 4\nframes 2\nmenu 23\nframes 5 LEFT\nmenu 5\nmenu 26\nframes 3 UP\nmenu 21\n"
       "frames 2 R\nmenu 999\nframes 1\nmenu 2\nframes 5\n");
  Seed("replay", "solved-level-2", "menu 22\nframes 90\nframes 2 ESCAPE\n");
  Seed("replay", "clicks-everywhere",
       "frames 1 D\nclick left -5 -5\nclick left 559 559\nclick right 600 20\n"
       "click left 32767 -32768\nframes 2\nframes 1 S L\nframes 1 ENTER ESCAPE\n");
  Seed("replay", "bad-key", "frames 3 LEFT\nframes 2 JUMP\n");
  Seed("replay", "bad-number", "frames 99999999999\n");
  Seed("replay", "blank-and-comments", "\n   \n# nothing\n\t# more\nframes 0\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: yelko_fuzz_seeds CORPUS_DIR\n");
    return 2;
  }
  OutDir = fs::absolute(argv[1]);
  std::string run = (fs::temp_directory_path() / "yelko-seeds-XXXXXX").string();
  if (::mkdtemp(run.data()) == nullptr) return 1;
  const fs::path old = fs::current_path();
  fs::current_path(run);
  fuzz::WriteRunDirectory();
  std::vector<Bytes> levels;
  for (int n = 1; n <= 5; ++n) levels.push_back(Read("level" + std::to_string(n) + ".dat"));
  std::vector<Bytes> sounds;
  for (const char* name : {"walk.wav", "thump.wav", "crunch.wav", "bifald.wav", "finished.wav"}) {
    sounds.push_back(Read(name));
  }
  const Bytes pieces = Read("pieces.bmp");
  fs::current_path(old);
  fs::remove_all(run);

  LevelSeeds(levels);
  EditorSeeds(levels);
  ImageSeeds(pieces);
  SoundSeeds(sounds);
  ProgressSeeds();
  ReplaySeeds();
  return 0;
}
