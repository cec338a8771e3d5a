#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "platform/headless/headless.h"
#include "platform/riff.h"
#include "sound/sound.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Built as text: GCC 12 warns falsely about byte vectors grown a little at a time.
void Put(std::string& b, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b += char(v >> (8 * i));
}

const Bytes Samples = {0x80, 0x81, 0x7F, 0x90};

struct WavLayout {
  std::uint16_t tag = 1;
  std::uint16_t channels = 1;
  std::uint32_t rate = 11025;
  std::uint16_t bits = 8;
  std::uint32_t formatBytes = 18;  // 16 leaves out the last field
  bool list = false;               // an odd-sized LIST chunk between the format and the data
  bool data = true;
  Bytes samples = Samples;
  std::uint32_t extraStated = 0;  // added to the data chunk's stated size
};

void Write(const std::string& name, const WavLayout& s) {
  std::string b = "RIFF....WAVEfmt ";  // the form's size is filled in below
  Put(b, s.formatBytes, 4);
  for (auto [v, n] : {std::pair<std::uint32_t, int>{s.tag, 2},
                      {s.channels, 2},
                      {s.rate, 4},
                      {s.rate * s.channels * s.bits / 8, 4},
                      {s.channels * s.bits / 8u, 2},
                      {s.bits, 2}}) {
    Put(b, v, n);
  }
  if (s.formatBytes == 18) Put(b, 0, 2);
  if (s.list) {
    b += "LIST";
    Put(b, 9, 4);
    b += std::string("INFOICMT\1\0", 10);
  }
  if (s.data) {
    b += "data";
    Put(b, std::uint32_t(s.samples.size()) + s.extraStated, 4);
    b.insert(b.end(), s.samples.begin(), s.samples.end());
  }
  const std::uint32_t formSize = std::uint32_t(b.size() - 8);
  for (int i = 0; i < 4; ++i) b[std::size_t(4 + i)] = char(formSize >> (8 * i));
  testing_support::WriteBytes(name, Bytes(b.begin(), b.end()));
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
  EXPECT_EQ(headless::LastSoundSamples(), Samples);

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
