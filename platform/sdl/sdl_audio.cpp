#include "platform/sdl/sdl_audio.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform::sdl {
namespace {

constexpr std::uint32_t MinRate = 1000;
constexpr std::uint32_t MaxRate = 384000;

void AddInto(std::int32_t* mix, std::size_t count, Sound& sound) {
  if (!sound.playing) return;
  const std::size_t left = sound.samples.size() - std::min(sound.position, sound.samples.size());
  const std::size_t n = std::min(count, left);
  const std::int16_t* from = sound.samples.data() + sound.position;
  for (std::size_t i = 0; i < n; ++i) mix[i] += from[i];
  sound.position += n;
  if (sound.position >= sound.samples.size()) {
    sound.playing = false;
    sound.position = 0;
  }
}

// Runs on SDL's audio thread, with the device locked.
void Mix(void* userdata, Uint8* stream, int len) {
  auto& audio = *static_cast<Audio*>(userdata);
  auto* out = reinterpret_cast<std::int16_t*>(stream);
  std::size_t total = std::size_t(len) / sizeof(std::int16_t);
  constexpr std::size_t Chunk = 1024;
  std::int32_t mix[Chunk];
  while (total > 0) {
    const std::size_t n = std::min(total, Chunk);
    std::fill(mix, mix + n, 0);
    for (Sound* sound : audio.sounds) AddInto(mix, n, *sound);
    AddInto(mix, n, audio.beep);
    for (std::size_t i = 0; i < n; ++i) {
      out[i] = std::int16_t(std::clamp(mix[i], std::int32_t(-32768), std::int32_t(32767)));
    }
    out += n;
    total -= n;
  }
}

bool Converted(const std::uint8_t* data, std::uint32_t bytes, PcmFormat format,
               std::vector<std::int16_t>* samples) {
  if ((format.bits != 8 && format.bits != 16) || (format.channels != 1 && format.channels != 2) ||
      format.rate < MinRate || format.rate > MaxRate) {
    return false;
  }
  const std::uint32_t frameBytes = std::uint32_t(format.channels) * format.bits / 8;
  const std::uint64_t frames = bytes / frameBytes;
  const std::uint64_t outFrames = frames * DeviceRate / format.rate + 256;
  if (outFrames * DeviceChannels * sizeof(std::int16_t) > MaxConvertedBytes) return false;
  samples->clear();
  if (frames == 0) return true;

  SDL_AudioStream* stream =
      SDL_NewAudioStream(format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB, std::uint8_t(format.channels),
                         int(format.rate), AUDIO_S16SYS, DeviceChannels, DeviceRate);
  if (stream == nullptr) return false;
  bool ok = true;
  std::uint64_t left = frames * frameBytes;
  const std::uint8_t* from = data;
  while (ok && left > 0) {
    const int n = int(std::min<std::uint64_t>(left, 1u << 20));
    ok = SDL_AudioStreamPut(stream, from, n) == 0;
    from += n;
    left -= std::uint64_t(n);
  }
  ok = ok && SDL_AudioStreamFlush(stream) == 0;
  const int available = ok ? SDL_AudioStreamAvailable(stream) : 0;
  if (ok && available > 0) {
    samples->resize(std::size_t(available) / sizeof(std::int16_t));
    const int got = SDL_AudioStreamGet(stream, samples->data(), available);
    ok = got >= 0;
    if (ok) samples->resize(std::size_t(got) / sizeof(std::int16_t));
  }
  SDL_FreeAudioStream(stream);
  // Whole stereo frames only.
  samples->resize(samples->size() / DeviceChannels * DeviceChannels);
  return ok;
}

std::vector<Sound*>::iterator Find(Audio& audio, SoundBuffer* buffer) {
  return std::find(audio.sounds.begin(), audio.sounds.end(), buffer);
}

class DeviceLock {
 public:
  explicit DeviceLock(SDL_AudioDeviceID device) : device_(device) {
    if (device_ != 0) SDL_LockAudioDevice(device_);
  }
  ~DeviceLock() {
    if (device_ != 0) SDL_UnlockAudioDevice(device_);
  }
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

 private:
  SDL_AudioDeviceID device_;
};

void MakeBeep(Sound& beep) {
  // 880 Hz for 120 ms, faded in and out so that it does not click.
  constexpr int Frames = DeviceRate * 120 / 1000;
  constexpr int Fade = DeviceRate * 10 / 1000;
  beep.samples.resize(std::size_t(Frames) * DeviceChannels);
  for (int i = 0; i < Frames; ++i) {
    const double envelope = std::min({1.0, double(i) / Fade, double(Frames - 1 - i) / Fade});
    const double v = 7000.0 * envelope * std::sin(2 * std::numbers::pi * 880.0 * i / DeviceRate);
    for (int c = 0; c < DeviceChannels; ++c) {
      beep.samples[std::size_t(i) * DeviceChannels + std::size_t(c)] = std::int16_t(v);
    }
  }
}

}  // namespace

bool OpenAudio(Audio& audio) {
  if (audio.device != 0) return true;
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = DeviceRate;
  want.format = AUDIO_S16SYS;
  want.channels = DeviceChannels;
  want.samples = 1024;
  want.callback = Mix;
  want.userdata = &audio;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the hardware takes, so our mix format holds.
  audio.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (audio.device == 0) return false;
  if (audio.beep.samples.empty()) MakeBeep(audio.beep);
  SDL_PauseAudioDevice(audio.device, 0);
  return true;
}

void CloseAudio(Audio& audio) {
  if (audio.device == 0) return;
  SDL_CloseAudioDevice(audio.device);
  audio.device = 0;
  for (Sound* sound : audio.sounds) {
    sound->playing = false;
    sound->position = 0;
  }
  audio.beep.playing = false;
}

Sound* MakeSound(Audio& audio, const std::uint8_t* data, std::uint32_t bytes, PcmFormat format) {
  if (audio.device == 0 || (data == nullptr && bytes != 0)) return nullptr;
  auto* sound = new Sound;
  if (!Converted(data, bytes, format, &sound->samples)) {
    delete sound;
    return nullptr;
  }
  DeviceLock lock(audio.device);
  audio.sounds.push_back(sound);
  return sound;
}

bool PlaySound(Audio& audio, SoundBuffer* buffer) {
  DeviceLock lock(audio.device);
  const auto it = Find(audio, buffer);
  if (it == audio.sounds.end() || audio.device == 0) return false;
  (*it)->position = 0;
  (*it)->playing = true;
  return true;
}

void StopSound(Audio& audio, SoundBuffer* buffer) {
  DeviceLock lock(audio.device);
  const auto it = Find(audio, buffer);
  if (it == audio.sounds.end()) return;
  (*it)->playing = false;
  (*it)->position = 0;
}

void ReleaseSound(Audio& audio, SoundBuffer* buffer) {
  Sound* sound = nullptr;
  {
    DeviceLock lock(audio.device);
    const auto it = Find(audio, buffer);
    if (it == audio.sounds.end()) return;
    sound = *it;
    audio.sounds.erase(it);
  }
  delete sound;
}

bool PlayBeep(Audio& audio) {
  if (audio.device == 0) return false;
  DeviceLock lock(audio.device);
  audio.beep.position = 0;
  audio.beep.playing = true;
  return true;
}

}  // namespace platform::sdl
