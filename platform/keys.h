// The one code space for keys and gamepad buttons. The keyboard's keys are DirectInput scan
// codes (what a PC keyboard sends, whatever its layout); a gamepad's buttons are 0xF0 and up,
// which no keyboard uses. Every backend turns its own codes into these; everything after that
// (which action a key stands for, its name, what a box or a lost focus does to held keys) is
// shared.
#pragma once

#include <cstdint>

inline constexpr int DIK_ESCAPE = 0x01;
inline constexpr int DIK_BACK = 0x0E;  // Backspace
inline constexpr int DIK_TAB = 0x0F;
inline constexpr int DIK_R = 0x13;
inline constexpr int DIK_Y = 0x15;
inline constexpr int DIK_U = 0x16;
inline constexpr int DIK_RETURN = 0x1C;
inline constexpr int DIK_S = 0x1F;
inline constexpr int DIK_D = 0x20;
inline constexpr int DIK_H = 0x23;
inline constexpr int DIK_L = 0x26;
inline constexpr int DIK_LSHIFT = 0x2A;
inline constexpr int DIK_Z = 0x2C;
inline constexpr int DIK_V = 0x2F;
inline constexpr int DIK_N = 0x31;
inline constexpr int DIK_M = 0x32;
inline constexpr int DIK_RSHIFT = 0x36;
inline constexpr int DIK_F1 = 0x3B;
inline constexpr int DIK_F10 = 0x44;
inline constexpr int DIK_F11 = 0x57;
inline constexpr int DIK_NUMPADENTER = 0x9C;
inline constexpr int DIK_UP = 0xC8;
inline constexpr int DIK_LEFT = 0xCB;
inline constexpr int DIK_RIGHT = 0xCD;
inline constexpr int DIK_DOWN = 0xD0;

// A gamepad's buttons, numbered as the common controllers lay them out.
inline constexpr int PAD_A = 0xF0;
inline constexpr int PAD_B = 0xF1;
inline constexpr int PAD_X = 0xF2;
inline constexpr int PAD_Y = 0xF3;
inline constexpr int PAD_BACK = 0xF4;
inline constexpr int PAD_START = 0xF6;
inline constexpr int PAD_LEFT_SHOULDER = 0xF9;
inline constexpr int PAD_RIGHT_SHOULDER = 0xFA;
inline constexpr int PAD_UP = 0xFB;
inline constexpr int PAD_DOWN = 0xFC;
inline constexpr int PAD_LEFT = 0xFD;
inline constexpr int PAD_RIGHT = 0xFE;

inline constexpr bool IsPadCode(int code) {
  return code >= 0xF0;
}

// The bits of one key's byte in a keyboard snapshot. Readers that only ask whether a key is held
// test for any non-zero byte.
inline constexpr std::uint8_t KeyHeld = 0x80;     // down now, or pressed since the last snapshot
inline constexpr std::uint8_t KeyPressed = 0x01;  // went down since the last snapshot
inline constexpr std::uint8_t KeyLetGo = 0x02;    // ... and is up again already (a quick tap)
