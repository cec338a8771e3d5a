#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "fuzz/odd_files.h"
#include "platform/headless/headless.h"
#include "platform/riff.h"
#include "sound/sound.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

using fuzz::WavLayout;

void Write(const std::string& name, const WavLayout& layout) {
  testing_support::WriteBytes(name, fuzz::MakeWav(layout));
}

class Sound : public testing_support::FreshProgram {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    Write("good.wav", {});
    ASSERT_EQ(SoundInit(), 1);
  }
};

TEST_F(Sound, IdsFollowLoadOrderAndTheBufferTakesTheFilesFormat) {
  for (int i = 0; i < 3; ++i) EXPECT_EQ(LoadWav("good.wav", 0), i);
  Write("stereo.wav", {.channels = 2, .rate = 22050, .bits = 16, .samples = {1, 2, 3, 4, 5, 6, 7}});
  EXPECT_EQ(LoadWav("stereo.wav", 0), 3);
  const platform::PcmFormat format = headless::LastSoundFormat();
  EXPECT_EQ(std::tuple(format.rate, format.channels, format.bits), std::tuple(22050u, 2, 16));
  EXPECT_EQ(headless::LastSoundSamples(), (Bytes{1, 2, 3, 4}));  // whole sample frames only
  // A 16-byte format chunk, and a LIST chunk before the data, are read past.
  Write("f16.wav", {.formatBytes = 16, .list = true});
  EXPECT_EQ(LoadWav("f16.wav", 0), 4);
  EXPECT_EQ(headless::LastSoundFormat().rate, 11025u);
  EXPECT_EQ(headless::LastSoundSamples(), WavLayout{}.samples);

  EXPECT_EQ(PlaySound(3), 1);
  EXPECT_EQ(PlaySound(3), 1);  // a playing sound starts over
  EXPECT_EQ(headless::SoundsStarted(), (std::vector<std::string>{"stereo.wav", "stereo.wav"}));
}

TEST_F(Sound, FilesThatCannotBePlayedLeaveTheSlotFree) {
  const WavLayout bad[] = {
      {.tag = 3},
      {.channels = 0},
      {.channels = 3},
      {.rate = 0},
      {.bits = 24},
      {.data = false},
      {.extraStated = 2},  // data longer than the file
      {.samples = Bytes(MaxSoundDataBytes + 2, 0x80)},
  };
  for (const WavLayout& layout : bad) {
    Write("bad.wav", layout);
    EXPECT_EQ(LoadWav("bad.wav", 0), -1) << &layout - bad;
  }
  EXPECT_EQ(LoadWav("missing.wav", 0), -1);
  std::filesystem::resize_file("bad.wav", std::uintmax_t(platform::MaxRiffFileBytes) + 1);
  EXPECT_EQ(LoadWav("bad.wav", 0), -1);  // larger than any sound: not even read
  EXPECT_EQ(LoadWav("good.wav", 0), 0);
}

TEST_F(Sound, SlotsAreNeverHandedOutTwiceBeforeSoundInit) {
  for (int i = 0; i < SoundSlotCount; ++i) ASSERT_EQ(LoadWav("good.wav", 0), i);
  EXPECT_EQ(LoadWav("good.wav", 0), -1);
  EXPECT_EQ(DeleteSound(5), 1);
  EXPECT_EQ(PlaySound(5), 1);  // nothing left to play
  EXPECT_TRUE(headless::SoundsStarted().empty());
  EXPECT_EQ(LoadWav("good.wav", 0), -1);  // 5 is deleted, not free
  for (std::int32_t id : {-1, SoundSlotCount}) {
    EXPECT_EQ(PlaySound(id) + StopSound(id) + DeleteSound(id), 3);
  }
  EXPECT_EQ(SoundInit(), 1);
  EXPECT_EQ(headless::LiveSoundBuffers(), 0);
  EXPECT_EQ(LoadWav("good.wav", 0), 0);
}

TEST_F(Sound, WithoutADeviceALoadStillTakesItsSlot) {
  ResetSoundState();
  headless::SetFailures({.audio = true});
  EXPECT_EQ(SoundInit(), 0);
  EXPECT_EQ(LoadWav("good.wav", 0), -1);
  EXPECT_EQ(LoadWav("good.wav", 0), -1);
  EXPECT_EQ(SoundTable[1].state, 1);
  EXPECT_EQ(PlaySound(0), 1);
  EXPECT_EQ(SoundInit(), 1);  // a later call only empties the table
  EXPECT_EQ(SoundTable[1].state, 0);
}

}  // namespace
