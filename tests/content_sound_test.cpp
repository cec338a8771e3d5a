// The five sound effects the build lays out in the run directory: the exact format the sound
// layer plays every buffer in, lengths, and that each starts and ends at rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sound/sound.h"
#include "tests/test_support.h"

namespace {

using testing_support::GameDir;
using testing_support::ReadBytes;

const char* const SoundFiles[] = {"walk.wav", "thump.wav", "crunch.wav", "bifald.wav",
                                  "finished.wav"};

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= std::uint32_t(b[at + std::size_t(i)]) << (8 * i);
  return v;
}

std::string Id(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::string(b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(at + 4));
}

TEST(ContentSound, EveryEffectIsShortQuietAtTheEdgesAndAudible) {
  for (const char* name : SoundFiles) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> f = ReadBytes(GameDir() + "/" + name);
    ASSERT_GT(f.size(), 44u) << "missing? build the default target first";
    // A plain RIFF WAVE: a 16-byte PCM format chunk, then the data.
    EXPECT_EQ(Id(f, 0), "RIFF");
    EXPECT_EQ(Le(f, 4, 4), f.size() - 8);
    EXPECT_EQ(Id(f, 8), "WAVE");
    EXPECT_EQ(Id(f, 12), "fmt ");
    EXPECT_EQ(Le(f, 16, 4), 16u);
    EXPECT_EQ(Le(f, 20, 2), 1u);      // PCM
    EXPECT_EQ(Le(f, 22, 2), 1u);      // mono
    EXPECT_EQ(Le(f, 24, 4), 11025u);  // samples per second
    EXPECT_EQ(Le(f, 28, 4), 11025u);  // bytes per second
    EXPECT_EQ(Le(f, 32, 2), 1u);      // block alignment
    EXPECT_EQ(Le(f, 34, 2), 8u);      // bits per sample
    EXPECT_EQ(Id(f, 36), "data");
    const std::uint32_t samples = Le(f, 40, 4);
    ASSERT_EQ(samples, f.size() - 44);

    EXPECT_LT(samples, 3u * 11025u);
    EXPECT_GT(samples, 11025u / 10);
    const std::vector<std::uint8_t> data(f.begin() + 44, f.end());
    // No click: the first and last samples sit on the silence level, and the sound moves away
    // from it gradually.
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_NEAR(data[i], 128, 2);
      EXPECT_NEAR(data[data.size() - 1 - i], 128, 2);
    }
    for (std::size_t i = 0; i + 1 < 32; ++i) {
      EXPECT_LE(std::abs(data[i + 1] - data[i]), 24) << "jump at the start, sample " << i;
      EXPECT_LE(std::abs(data[data.size() - 1 - i] - data[data.size() - 2 - i]), 8)
          << "jump at the end, sample " << i;
    }
    // Loud enough to hear, without being clipped flat.
    const auto [low, high] = std::minmax_element(data.begin(), data.end());
    EXPECT_GT(*high - *low, 150);
    EXPECT_GT(*low, 0);
    EXPECT_LT(*high, 255);
  }
  // The applause and the fanfare are the long ones.
  EXPECT_GT(ReadBytes(GameDir() + "/bifald.wav").size(), 11025u * 3 / 2);
  EXPECT_GT(ReadBytes(GameDir() + "/finished.wav").size(), 11025u * 3 / 2);
}

class ContentSoundLayer : public testing_support::FreshProgram {};

// The game's own sound layer takes all five, each whole, in load order.
TEST_F(ContentSoundLayer, TheGameLoadsEveryEffect) {
  ASSERT_EQ(SoundInit(), 1);
  for (int i = 0; i < 5; ++i) {
    const std::string path = GameDir() + "/" + SoundFiles[i];
    ASSERT_EQ(LoadWav(path.c_str(), 0), i) << SoundFiles[i];
    EXPECT_EQ(SoundTable[i].rate, 11025u);
    EXPECT_EQ(SoundTable[i].size, ReadBytes(path).size() - 44);
  }
}

}  // namespace
