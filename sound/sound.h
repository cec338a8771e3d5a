// Sound effects: PCM WAV files loaded into 64 slots, played once from their start by id.
#pragma once

#include <cstdint>

#include "platform/platform.h"

inline constexpr int SoundSlotCount = 64;
// A data chunk larger than this is refused.
inline constexpr std::uint32_t MaxSoundDataBytes = 16u << 20;

struct SoundSlot {
  platform::SoundBuffer* buffer;
  std::int32_t state;  // 0 free, 1 handed out by LoadWav
  std::uint32_t rate;
  std::uint32_t size;
  std::int32_t id;
};

extern SoundSlot SoundTable[SoundSlotCount];
// 1 until the first SoundInit, which clears the table and opens the audio device.
extern std::int32_t SoundFirstCall;
// True while the audio device opened by SoundInit is open.
extern bool SoundDeviceOpen;

// The player turned the sound off: nothing plays until it is turned on again.
extern bool SoundMuted;
void SetSoundMuted(bool muted);

std::int32_t SoundInit();
// Loads a PCM WAV file (1 or 2 channels of 8 or 16 bits) into the lowest free slot and returns
// its id 0..63, or -1. A slot is handed out once its file has been read, even if the device
// then refuses the buffer, and is free again only after the next SoundInit.
std::int32_t LoadWav(const char* fileName, std::uint32_t controlFlags);
std::int32_t PlaySound(std::int32_t id, std::uint32_t playFlags = 0, std::int32_t = 0,
                       std::int32_t = 0, std::int32_t = 0);
std::int32_t StopSound(std::int32_t id);
std::int32_t DeleteSound(std::int32_t id);
std::int32_t StopAllSounds();
std::int32_t SoundShutdown();

// Releases every buffer still held and puts the layer back to how the program starts.
void ResetSoundState();
