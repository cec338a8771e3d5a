// The audio device: one SDL output stream in a fixed format into which every playing buffer is
// mixed. Buffers are converted to that format when they are made, so playing costs nothing but
// the mix.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace platform::sdl {

inline constexpr int DeviceRate = 44100;
inline constexpr int DeviceChannels = 2;
// The largest buffer made, after conversion: about six minutes of sound.
inline constexpr std::uint64_t MaxConvertedBytes = 64ull << 20;

struct Sound final : SoundBuffer {
  std::vector<std::int16_t> samples;  // interleaved stereo at DeviceRate
  std::size_t position = 0;           // next sample to mix
  bool playing = false;
};

struct Audio {
  SDL_AudioDeviceID device = 0;  // 0: closed
  std::vector<Sound*> sounds;    // every live buffer; the mixer walks this under the device lock
  Sound beep;                    // a short tone, for Beep()
};

// False when SDL has no audio or no device can be opened.
bool OpenAudio(Audio& audio);
void CloseAudio(Audio& audio);
// Null when the device is closed, the format is not 8- or 16-bit PCM in 1 or 2 channels at
// 1000..384000 samples per second, or the converted sound would exceed MaxConvertedBytes.
// Trailing bytes that do not fill a whole sample frame are left out.
Sound* MakeSound(Audio& audio, const std::uint8_t* data, std::uint32_t bytes, PcmFormat format);
// The three below ignore buffers that are not live buffers of this device.
bool PlaySound(Audio& audio, SoundBuffer* buffer);
void StopSound(Audio& audio, SoundBuffer* buffer);
void ReleaseSound(Audio& audio, SoundBuffer* buffer);
// Plays the tone; false when the device is closed.
bool PlayBeep(Audio& audio);

}  // namespace platform::sdl
