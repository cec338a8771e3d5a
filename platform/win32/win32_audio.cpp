#include "platform/win32/win32_audio.h"

// windows.h first, then these in this order.
// clang-format off
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <dsound.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::win32 {
namespace {

using CreateFn = HRESULT(WINAPI*)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);

struct DsSound final : SoundBuffer {
  IDirectSoundBuffer* buffer = nullptr;
  std::vector<std::uint8_t> samples;  // kept to fill the buffer again when its memory was lost
};

bool Fill(DsSound& sound) {
  void* p1 = nullptr;
  void* p2 = nullptr;
  DWORD n1 = 0, n2 = 0;
  if (FAILED(sound.buffer->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER))) return false;
  std::memcpy(p1, sound.samples.data(), std::min<std::size_t>(n1, sound.samples.size()));
  sound.buffer->Unlock(p1, n1, p2, n2);
  return true;
}

}  // namespace

struct Audio::State {
  HMODULE library = nullptr;
  IDirectSound* device = nullptr;
  std::vector<DsSound*> sounds;  // every live buffer of this device
};

Audio::~Audio() {
  Close();
}

bool Audio::Open(HWND__* window) {
  if (state_ != nullptr) return true;
  auto* s = new State;
  s->library = ::LoadLibraryA("dsound.dll");
  auto create = s->library != nullptr ? reinterpret_cast<CreateFn>(reinterpret_cast<void*>(
                                            ::GetProcAddress(s->library, "DirectSoundCreate")))
                                      : nullptr;
  if (create == nullptr || FAILED(create(nullptr, &s->device, nullptr)) ||
      FAILED(s->device->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
    if (s->device != nullptr) s->device->Release();
    if (s->library != nullptr) ::FreeLibrary(s->library);
    delete s;
    return false;
  }
  state_ = s;
  return true;
}

void Audio::Close() {
  if (state_ == nullptr) return;
  // Buffers outlive the device as empty shells until the game releases them.
  for (DsSound* sound : state_->sounds) {
    if (sound->buffer != nullptr) sound->buffer->Release();
    sound->buffer = nullptr;
  }
  state_->device->Release();
  ::FreeLibrary(state_->library);
  for (DsSound* sound : state_->sounds) delete sound;
  delete state_;
  state_ = nullptr;
}

SoundBuffer* Audio::Create(const std::uint8_t* data, std::uint32_t bytes, PcmFormat format) {
  if (state_ == nullptr || (format.channels != 1 && format.channels != 2) ||
      (format.bits != 8 && format.bits != 16) || format.rate < 1000 || format.rate > 192000) {
    return nullptr;
  }
  const std::uint32_t frame = format.channels * format.bits / 8u;
  bytes -= bytes % frame;
  if (bytes > DSBSIZE_MAX) return nullptr;
  WAVEFORMATEX wave{};
  wave.wFormatTag = WAVE_FORMAT_PCM;
  wave.nChannels = format.channels;
  wave.nSamplesPerSec = format.rate;
  wave.wBitsPerSample = format.bits;
  wave.nBlockAlign = WORD(frame);
  wave.nAvgBytesPerSec = format.rate * frame;
  auto* sound = new DsSound;
  sound->samples.assign(data, data + bytes);
  // DirectSound wants a few bytes at least: a shorter sound is padded with silence.
  const std::uint32_t size = std::max<std::uint32_t>(bytes, 4 * frame);
  sound->samples.resize(size, format.bits == 8 ? 0x80 : 0);
  DSBUFFERDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
  desc.dwBufferBytes = size;
  desc.lpwfxFormat = &wave;
  if (FAILED(state_->device->CreateSoundBuffer(&desc, &sound->buffer, nullptr)) || !Fill(*sound)) {
    if (sound->buffer != nullptr) sound->buffer->Release();
    delete sound;
    return nullptr;
  }
  state_->sounds.push_back(sound);
  return sound;
}

bool Audio::Play(SoundBuffer* buffer) {
  if (state_ == nullptr) return false;
  auto it = std::find(state_->sounds.begin(), state_->sounds.end(), buffer);
  if (it == state_->sounds.end() || (*it)->buffer == nullptr) return false;
  DsSound& sound = **it;
  sound.buffer->SetCurrentPosition(0);
  HRESULT hr = sound.buffer->Play(0, 0, 0);
  if (hr == DSERR_BUFFERLOST && SUCCEEDED(sound.buffer->Restore()) && Fill(sound)) {
    hr = sound.buffer->Play(0, 0, 0);
  }
  return SUCCEEDED(hr);
}

void Audio::Stop(SoundBuffer* buffer) {
  if (state_ == nullptr) return;
  auto it = std::find(state_->sounds.begin(), state_->sounds.end(), buffer);
  if (it == state_->sounds.end() || (*it)->buffer == nullptr) return;
  (*it)->buffer->Stop();
  (*it)->buffer->SetCurrentPosition(0);
}

void Audio::Release(SoundBuffer* buffer) {
  if (state_ == nullptr) return;
  auto it = std::find(state_->sounds.begin(), state_->sounds.end(), buffer);
  if (it == state_->sounds.end()) return;
  if ((*it)->buffer != nullptr) (*it)->buffer->Release();
  delete *it;
  state_->sounds.erase(it);
}

}  // namespace platform::win32
