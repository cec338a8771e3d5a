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
  WAVEFORMATEX format{};
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
  CreateFn create = nullptr;
  HWND window = nullptr;
  IDirectSound* device = nullptr;  // null while suspended
  std::vector<DsSound*> sounds;    // every live buffer of this device
};

namespace {

bool MakeBuffer(IDirectSound* device, DsSound& sound) {
  DSBUFFERDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
  desc.dwBufferBytes = DWORD(sound.samples.size());
  desc.lpwfxFormat = &sound.format;
  if (SUCCEEDED(device->CreateSoundBuffer(&desc, &sound.buffer, nullptr)) && Fill(sound)) {
    return true;
  }
  if (sound.buffer != nullptr) sound.buffer->Release();
  sound.buffer = nullptr;
  return false;
}

IDirectSound* MakeDevice(CreateFn create, HWND window) {
  IDirectSound* device = nullptr;
  if (FAILED(create(nullptr, &device, nullptr))) return nullptr;
  if (FAILED(device->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
    device->Release();
    return nullptr;
  }
  return device;
}

}  // namespace

bool Audio::Suspend() {
  if (state_ == nullptr || state_->device == nullptr) return true;
  for (DsSound* sound : state_->sounds) {
    DWORD status = 0;
    if (sound->buffer != nullptr && SUCCEEDED(sound->buffer->GetStatus(&status)) &&
        (status & DSBSTATUS_PLAYING) != 0) {
      return false;
    }
  }
  for (DsSound* sound : state_->sounds) {
    if (sound->buffer != nullptr) sound->buffer->Release();
    sound->buffer = nullptr;
  }
  state_->device->Release();
  state_->device = nullptr;
  return true;
}

Audio::~Audio() {
  Close();
}

bool Audio::Open(HWND__* window) {
  if (state_ != nullptr) return true;
  auto* s = new State;
  s->library = ::LoadLibraryA("dsound.dll");
  s->create = s->library != nullptr ? reinterpret_cast<CreateFn>(reinterpret_cast<void*>(
                                          ::GetProcAddress(s->library, "DirectSoundCreate")))
                                    : nullptr;
  s->window = window;
  s->device = s->create != nullptr ? MakeDevice(s->create, window) : nullptr;
  if (s->device == nullptr) {
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
  if (state_->device != nullptr) state_->device->Release();
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
  sound->format = wave;
  sound->samples.assign(data, data + bytes);
  // DirectSound wants a few bytes at least: a shorter sound is padded with silence.
  const std::uint32_t size = std::max<std::uint32_t>(bytes, 4 * frame);
  sound->samples.resize(size, format.bits == 8 ? 0x80 : 0);
  if (state_->device == nullptr) state_->device = MakeDevice(state_->create, state_->window);
  if (state_->device == nullptr || !MakeBuffer(state_->device, *sound)) {
    delete sound;
    return nullptr;
  }
  state_->sounds.push_back(sound);
  return sound;
}

bool Audio::Play(SoundBuffer* buffer) {
  if (state_ == nullptr) return false;
  if (state_->device == nullptr) {  // suspended: the device and every buffer made again
    state_->device = MakeDevice(state_->create, state_->window);
    if (state_->device == nullptr) return false;
    for (DsSound* sound : state_->sounds) MakeBuffer(state_->device, *sound);
  }
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
