#include "platform/win32/win32_gamepad.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <xinput.h>

#include <initializer_list>

#include "platform/keys.h"

namespace platform::win32 {
namespace {

using GetStateFn = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);

// Asking an empty slot is slow in XInput: those are asked again every two seconds only.
constexpr std::uint32_t RescanMs = 2000;

bool Map(const XINPUT_GAMEPAD& pad, std::uint8_t state[256]) {
  bool any = false;
  auto key = [&](bool held, std::uint8_t code) {
    if (!held) return;
    state[code] = 0x80;
    any = true;
  };
  const WORD b = pad.wButtons;
  key(b & XINPUT_GAMEPAD_A, PAD_A);
  key(b & XINPUT_GAMEPAD_B, PAD_B);
  key(b & XINPUT_GAMEPAD_X, PAD_X);
  key(b & XINPUT_GAMEPAD_Y, PAD_Y);
  key(b & XINPUT_GAMEPAD_BACK, PAD_BACK);
  key(b & XINPUT_GAMEPAD_START, PAD_START);
  key(b & XINPUT_GAMEPAD_LEFT_SHOULDER, PAD_LEFT_SHOULDER);
  key(b & XINPUT_GAMEPAD_RIGHT_SHOULDER, PAD_RIGHT_SHOULDER);
  key(b & XINPUT_GAMEPAD_DPAD_UP, PAD_UP);
  key(b & XINPUT_GAMEPAD_DPAD_DOWN, PAD_DOWN);
  key(b & XINPUT_GAMEPAD_DPAD_LEFT, PAD_LEFT);
  key(b & XINPUT_GAMEPAD_DPAD_RIGHT, PAD_RIGHT);
  // The stick: its stronger axis, past a dead zone, so that a diagonal is one direction.
  const int x = pad.sThumbLX;
  const int y = pad.sThumbLY;
  constexpr int DeadZone = 16000;
  if ((x > DeadZone || x < -DeadZone) && (x < 0 ? -x : x) >= (y < 0 ? -y : y)) {
    key(true, x > 0 ? PAD_RIGHT : PAD_LEFT);
  } else if (y > DeadZone || y < -DeadZone) {
    key(true, y > 0 ? PAD_UP : PAD_DOWN);
  }
  return any;
}

}  // namespace

Gamepads::~Gamepads() {
  if (library_ != nullptr) ::FreeLibrary(static_cast<HMODULE>(library_));
}

bool Gamepads::Read(std::uint8_t state[256], std::uint32_t nowMs) {
  if (!loaded_) {
    loaded_ = true;
    for (const char* name : {"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll"}) {
      HMODULE lib = ::LoadLibraryA(name);
      if (lib == nullptr) continue;
      FARPROC fn = ::GetProcAddress(lib, "XInputGetState");
      if (fn == nullptr) {
        ::FreeLibrary(lib);
        continue;
      }
      library_ = lib;
      getState_ = reinterpret_cast<void*>(fn);
      break;
    }
  }
  if (getState_ == nullptr) return false;
  const auto getState = reinterpret_cast<GetStateFn>(getState_);
  const bool rescan = !scanned_ || nowMs - lastScan_ >= RescanMs;
  if (rescan) {
    scanned_ = true;
    lastScan_ = nowMs;
  }
  bool any = false;
  for (DWORD i = 0; i < 4; ++i) {
    if (!connected_[i] && !rescan) continue;
    XINPUT_STATE s{};
    connected_[i] = getState(i, &s) == ERROR_SUCCESS;
    if (connected_[i] && Map(s.Gamepad, state)) any = true;
  }
  return any;
}

}  // namespace platform::win32
