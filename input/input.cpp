// The keyboard and mouse devices as the game knows them, and their snapshot.
#include "input/input.h"

#include <cstring>

#include "platform/platform.h"

std::uint8_t KeyboardState[256];
std::uint8_t LeftClickPending;
std::uint8_t RightClickPending;
std::int32_t ClickX;
std::int32_t ClickY;
std::uint8_t RightClickShift;
std::uint8_t RightClickObject;
std::uint8_t DragPending;
std::int32_t DragX;
std::int32_t DragY;

namespace {
// The devices, as far as the game needs to know them: open or not.
bool InputObject;
bool KeyboardDevice;
bool MouseDevice;
}  // namespace

std::int32_t InputInit() {
  // The platform's input service is always there once a window exists.
  InputObject = true;
  return 1;
}

std::int32_t KeyboardInit() {
  if (!InputObject) return 0;
  KeyboardDevice = platform::KeyboardOpen();
  return KeyboardDevice ? 1 : 0;
}

std::int32_t MouseInit() {
  if (!InputObject) return 0;
  MouseDevice = platform::MouseOpen();
  return MouseDevice ? 1 : 0;
}

std::int32_t ReadKeyboard() {
  if (!KeyboardDevice) {
    std::memset(KeyboardState, 0, sizeof KeyboardState);
    return 0;
  }
  return platform::KeyboardRead(KeyboardState) ? 1 : 0;
}

bool AnyKeyPressed() {
  for (std::uint8_t v : KeyboardState) {
    if (v & KeyPressed) return true;
  }
  return false;
}

void KeyboardRelease() {
  if (KeyboardDevice) platform::KeyboardClose();
}

void MouseRelease() {
  if (MouseDevice) platform::MouseClose();
}

void InputShutdown() {}

void ResetInputState() {
  std::memset(KeyboardState, 0, sizeof KeyboardState);
  InputObject = KeyboardDevice = MouseDevice = false;
  LeftClickPending = RightClickPending = RightClickShift = RightClickObject = DragPending = 0;
  ClickX = ClickY = DragX = DragY = 0;
}
