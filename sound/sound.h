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

std::int32_t SoundInit();
// The sound id 0..63, or -1.
std::int32_t LoadWav(const char* fileName, std::uint32_t controlFlags);
std::int32_t PlaySound(std::int32_t id, std::uint32_t playFlags = 0, std::int32_t = 0,
                       std::int32_t = 0, std::int32_t = 0);
std::int32_t StopSound(std::int32_t id);
std::int32_t DeleteSound(std::int32_t id);
std::int32_t StopAllSounds();
std::int32_t SoundShutdown();

void ResetSoundState();
