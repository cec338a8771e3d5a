// The five sound effects the build lays out in the run directory, as the game's own sound layer
// loads them: the one format every buffer plays in, lengths, and that each starts and ends at
// rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "sound/sound.h"
#include "tests/test_support.h"

namespace {

using ContentSound = testing_support::FreshProgram;

TEST_F(ContentSound, EveryEffectLoadsInOrderShortQuietAtTheEdgesAndAudible) {
  ASSERT_EQ(SoundInit(), 1);
  const char* const files[] = {"walk.wav", "thump.wav", "crunch.wav", "bifald.wav", "finished.wav"};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(files[i]);
    const std::string path = testing_support::GameDir() + "/" + files[i];
    ASSERT_EQ(LoadWav(path.c_str(), 0), i) << "missing? build the game first";
    const platform::PcmFormat format = headless::LastSoundFormat();
    EXPECT_EQ(format.rate, 11025u);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.bits, 8);
    const std::vector<std::uint8_t> data = headless::LastSoundSamples();
    EXPECT_EQ(data.size(), testing_support::ReadBytes(path).size() - 44) << "not the whole file";
    EXPECT_LT(data.size(), 3u * 11025u);
    // The applause and the fanfare are the long ones.
    EXPECT_GT(data.size(), i >= 3 ? 11025u * 3 / 2 : 11025u / 10);
    // No click: the first and last samples sit on the silence level, and the sound moves away
    // from it gradually.
    for (std::size_t k = 0; k < 4; ++k) {
      EXPECT_NEAR(data[k], 128, 2);
      EXPECT_NEAR(data[data.size() - 1 - k], 128, 2);
    }
    for (std::size_t k = 0; k + 1 < 32; ++k) {
      EXPECT_LE(std::abs(data[k + 1] - data[k]), 24) << "jump at the start, sample " << k;
      EXPECT_LE(std::abs(data[data.size() - 1 - k] - data[data.size() - 2 - k]), 8)
          << "jump at the end, sample " << k;
    }
    // Loud enough to hear, without being clipped flat.
    const auto [low, high] = std::minmax_element(data.begin(), data.end());
    EXPECT_GT(*high - *low, 150);
    EXPECT_GT(*low, 0);
    EXPECT_LT(*high, 255);
  }
}

}  // namespace
