#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "sound/sound.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutId(Bytes& b, const char* id) {
  b.insert(b.end(), id, id + 4);
}

const Bytes Samples = {0x80, 0x81, 0x7F, 0x90};

struct WavSpec {
  std::uint16_t tag = 1;
  std::uint16_t channels = 1;
  std::uint32_t rate = 11025;
  std::uint16_t bits = 8;
  std::uint32_t formatBytes = 18;  // 16 leaves out the cbSize field
  bool list = false;               // a LIST chunk between the format and the data
  bool data = true;
  Bytes samples = Samples;
  std::uint32_t extraStated = 0;  // added to the data chunk's stated size
};

Bytes MakeWav(const WavSpec& s) {
  Bytes body;
  PutId(body, "WAVE");
  PutId(body, "fmt ");
  Put32(body, s.formatBytes);
  const std::uint16_t align = std::uint16_t(s.channels * s.bits / 8);
  Put16(body, s.tag);
  Put16(body, s.channels);
  Put32(body, s.rate);
  Put32(body, s.rate * align);
  Put16(body, align);
  Put16(body, s.bits);
  if (s.formatBytes == 18) Put16(body, 0);
  if (s.list) {
    PutId(body, "LIST");
    Put32(body, 10);
    PutId(body, "INFO");
    PutId(body, "ICMT");
    body.insert(body.end(), {0x01, 0x00});
  }
  if (s.data) {
    PutId(body, "data");
    Put32(body, std::uint32_t(s.samples.size()) + s.extraStated);
    body.insert(body.end(), s.samples.begin(), s.samples.end());
    if (s.samples.size() % 2 != 0) body.push_back(0);
  }
  Bytes file;
  PutId(file, "RIFF");
  Put32(file, std::uint32_t(body.size()));
  return file.insert(file.end(), body.begin(), body.end()), file;
}

void Write(const std::string& name, const WavSpec& spec) {
  testing_support::WriteBytes(name, MakeWav(spec));
}

class Sound : public testing_support::FreshProgram {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    Write("good.wav", {});
  }
};

TEST_F(Sound, IdsFollowLoadOrderAndEachPlaysItsOwnFile) {
  ASSERT_EQ(SoundInit(), 1);
  const char* names[] = {"walk.wav", "thump.wav", "crunch.wav", "bifald.wav", "finished.wav"};
  for (int i = 0; i < 5; ++i) {
    Write(names[i], {});
    EXPECT_EQ(LoadWav(names[i], 0), i);
  }
  EXPECT_EQ(headless::LiveSoundBuffers(), 5);
  EXPECT_EQ(PlaySound(2), 1);
  EXPECT_EQ(PlaySound(2), 1);  // a playing sound starts over
  EXPECT_EQ(PlaySound(4), 1);
  EXPECT_EQ(headless::SoundsStarted(),
            (std::vector<std::string>{"crunch.wav", "crunch.wav", "finished.wav"}));
  EXPECT_EQ(headless::LastSoundSamples(), Samples);
}

TEST_F(Sound, TheBufferTakesTheFilesOwnFormat) {
  ASSERT_EQ(SoundInit(), 1);
  WavSpec stereo16;
  stereo16.channels = 2;
  stereo16.bits = 16;
  stereo16.rate = 22050;
  stereo16.samples = Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9};  // the odd last byte is no whole frame
  Write("s.wav", stereo16);
  ASSERT_EQ(LoadWav("s.wav", 0), 0);
  EXPECT_EQ(headless::LastSoundFormat().rate, 22050u);
  EXPECT_EQ(headless::LastSoundFormat().channels, 2);
  EXPECT_EQ(headless::LastSoundFormat().bits, 16);
  EXPECT_EQ(headless::LastSoundSamples(), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(SoundTable[0].rate, 22050u);
  EXPECT_EQ(SoundTable[0].size, 9u);

  // A 16-byte format chunk, and a LIST chunk before the data, load as well.
  WavSpec shortFormat;
  shortFormat.formatBytes = 16;
  shortFormat.list = true;
  Write("f16.wav", shortFormat);
  EXPECT_EQ(LoadWav("f16.wav", 0), 1);
  EXPECT_EQ(headless::LastSoundFormat().rate, 11025u);
  EXPECT_EQ(headless::LastSoundSamples(), Samples);
}

TEST_F(Sound, FilesThatCannotBePlayedLeaveTheSlotFree) {
  ASSERT_EQ(SoundInit(), 1);
  std::vector<std::pair<std::string, WavSpec>> bad;
  auto add = [&](const std::string& what, auto change) {
    WavSpec s;
    change(s);
    bad.emplace_back(what, s);
  };
  add("not PCM", [](WavSpec& s) { s.tag = 3; });
  add("no data chunk", [](WavSpec& s) { s.data = false; });
  add("data longer than the file", [](WavSpec& s) { s.extraStated = 2; });
  add("three channels", [](WavSpec& s) { s.channels = 3; });
  add("no channels", [](WavSpec& s) { s.channels = 0; });
  add("24 bits", [](WavSpec& s) { s.bits = 24; });
  add("rate 0", [](WavSpec& s) { s.rate = 0; });
  for (const auto& [what, spec] : bad) {
    Write("bad.wav", spec);
    EXPECT_EQ(LoadWav("bad.wav", 0), -1) << what;
  }
  EXPECT_EQ(LoadWav("missing.wav", 0), -1);
  EXPECT_EQ(LoadWav(nullptr, 0), -1);
  testing_support::WriteBytes("short.wav", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A'});
  EXPECT_EQ(LoadWav("short.wav", 0), -1);

  // More than 16 MiB of samples, all present in the file.
  WavSpec huge;
  huge.samples.assign(MaxSoundDataBytes + 2, 0x80);
  Write("huge.wav", huge);
  EXPECT_EQ(LoadWav("huge.wav", 0), -1);

  EXPECT_EQ(LoadWav("good.wav", 0), 0);
  EXPECT_EQ(headless::LiveSoundBuffers(), 1);
}

TEST_F(Sound, SlotsAreNeverHandedOutTwiceBeforeSoundInit) {
  ASSERT_EQ(SoundInit(), 1);
  for (int i = 0; i < SoundSlotCount; ++i) ASSERT_EQ(LoadWav("good.wav", 0), i);
  EXPECT_EQ(LoadWav("good.wav", 0), -1);

  EXPECT_EQ(DeleteSound(5), 1);
  EXPECT_EQ(SoundTable[5].buffer, nullptr);
  EXPECT_EQ(PlaySound(5), 1);  // nothing to play
  EXPECT_TRUE(headless::SoundsStarted().empty());
  EXPECT_EQ(LoadWav("good.wav", 0), -1);  // 5 is deleted, not free
  EXPECT_EQ(headless::LiveSoundBuffers(), SoundSlotCount - 1);

  // Ids a failed load leaves behind are harmless.
  for (std::int32_t id : {-1, SoundSlotCount, 1000}) {
    EXPECT_EQ(PlaySound(id), 1);
    EXPECT_EQ(StopSound(id), 1);
    EXPECT_EQ(DeleteSound(id), 1);
  }

  // SoundInit frees every slot and gives back every buffer.
  EXPECT_EQ(SoundInit(), 1);
  EXPECT_EQ(headless::LiveSoundBuffers(), 0);
  EXPECT_EQ(LoadWav("good.wav", 0), 0);
}

TEST_F(Sound, WithoutAnAudioDeviceLoadsTakeSlotsButHoldNoBuffer) {
  headless::Failures failures;
  failures.audio = true;
  headless::SetFailures(failures);
  EXPECT_EQ(SoundInit(), 0);
  EXPECT_EQ(LoadWav("good.wav", 0), -1);
  EXPECT_EQ(SoundTable[0].state, 1);  // read, but refused by the device
  EXPECT_EQ(LoadWav("good.wav", 0), -1);
  EXPECT_EQ(SoundTable[1].state, 1);
  EXPECT_EQ(PlaySound(0), 1);
  EXPECT_EQ(SoundInit(), 1);  // a later call only empties the table
  EXPECT_EQ(SoundTable[0].state, 0);
  EXPECT_EQ(SoundShutdown(), 1);
}

TEST_F(Sound, ShutdownAndResetGiveEveryBufferBackOnce) {
  ASSERT_EQ(SoundInit(), 1);
  ASSERT_EQ(LoadWav("good.wav", 0), 0);
  ASSERT_EQ(LoadWav("good.wav", 0), 1);
  ASSERT_EQ(LoadWav("good.wav", 0), 2);
  DeleteSound(1);
  EXPECT_EQ(SoundShutdown(), 1);
  EXPECT_EQ(headless::LiveSoundBuffers(), 0);
  EXPECT_EQ(PlaySound(0), 1);  // released buffers are not reached again
  ResetSoundState();
  EXPECT_EQ(headless::LiveSoundBuffers(), 0);

  // A reset in the middle of a run releases what is still held.
  ASSERT_EQ(SoundInit(), 1);
  ASSERT_EQ(LoadWav("good.wav", 0), 0);
  ResetSoundState();
  EXPECT_EQ(headless::LiveSoundBuffers(), 0);
  EXPECT_EQ(SoundFirstCall, 1);
}

}  // namespace
