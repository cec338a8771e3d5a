// XInput gamepads, read once per frame into the keyboard snapshot at the pad codes of
// platform/keys.h (the left stick as the D-pad); which action each stands for is the game's
// shared table (input/actions.h). The XInput DLL is loaded at first use; without one there is
// simply no gamepad.
#pragma once

#include <cstdint>

namespace platform::win32 {

class Gamepads {
 public:
  Gamepads() = default;
  ~Gamepads();
  Gamepads(const Gamepads&) = delete;
  Gamepads& operator=(const Gamepads&) = delete;

  // ORs the held buttons of every connected pad into state (0x80 per code). True when any
  // button or the stick is held.
  bool Read(std::uint8_t state[256], std::uint32_t nowMs);
  // True when a pad answered at the last read.
  bool AnyConnected() const {
    return connected_[0] || connected_[1] || connected_[2] || connected_[3];
  }

 private:
  void* library_ = nullptr;
  void* getState_ = nullptr;
  bool loaded_ = false;
  bool connected_[4] = {};
  std::uint32_t lastScan_ = 0;  // when the empty slots were last asked
  bool scanned_ = false;
};

}  // namespace platform::win32
