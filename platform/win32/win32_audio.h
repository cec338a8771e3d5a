// Sound through DirectSound: one secondary buffer per sound, which DirectSound mixes with every
// other playing buffer. dsound.dll is loaded when the game opens audio; any failure on the way
// (no DLL, no device, a refused buffer) is "no sound" and the game goes on silent.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct HWND__;

namespace platform::win32 {

class Audio {
 public:
  Audio() = default;
  ~Audio();
  Audio(const Audio&) = delete;
  Audio& operator=(const Audio&) = delete;

  bool Open(HWND__* window);
  void Close();
  // Null when closed, or for a format other than 8- or 16-bit PCM in 1 or 2 channels at
  // 1000..192000 samples per second. Trailing bytes short of a whole sample frame are left out.
  SoundBuffer* Create(const std::uint8_t* data, std::uint32_t bytes, PcmFormat format);
  // These ignore buffers this device did not make.
  bool Play(SoundBuffer* buffer);
  void Stop(SoundBuffer* buffer);
  void Release(SoundBuffer* buffer);
  // Lets the device go while no sound plays (Wine's DirectSound mixes silence on threads of its
  // own all the while); the next Play makes it and the buffers again. False while one plays.
  bool Suspend();

 private:
  struct State;
  State* state_ = nullptr;
};

}  // namespace platform::win32
