// The keyboard and mouse devices and the keyboard snapshot.
#pragma once

#include <cstdint>

// DirectInput scan codes of the keys the frames read.
inline constexpr int DIK_R = 0x13;
inline constexpr int DIK_S = 0x1F;
inline constexpr int DIK_D = 0x20;
inline constexpr int DIK_L = 0x26;
inline constexpr int DIK_UP = 0xC8;
inline constexpr int DIK_LEFT = 0xCB;
inline constexpr int DIK_RIGHT = 0xCD;
inline constexpr int DIK_DOWN = 0xD0;
// Undo (Z, U or Backspace), redo (Y) and hint (H).
inline constexpr int DIK_Z = 0x2C;
inline constexpr int DIK_U = 0x16;
inline constexpr int DIK_BACK = 0x0E;
inline constexpr int DIK_Y = 0x15;
inline constexpr int DIK_H = 0x23;

// One byte per scan code, non-zero while the key is held (as of the last ReadKeyboard).
extern std::uint8_t KeyboardState[256];

std::int32_t InputInit();
std::int32_t KeyboardInit();
std::int32_t MouseInit();
// Fills KeyboardState; 0 when there is no keyboard (state cleared) or it cannot be read.
std::int32_t ReadKeyboard();
void KeyboardRelease();
void MouseRelease();
void InputShutdown();

void ResetInputState();
