// SDL's keys and gamepad buttons in the game's one code space (platform/keys.h).
#include "platform/sdl/sdl_keys.h"

#include "platform/keys.h"

namespace platform::sdl {

std::uint8_t DirectInputCode(SDL_Scancode scancode) {
  // Letters and digits follow the rows of the PC keyboard, not the alphabet.
  static constexpr std::uint8_t Letters[26] = {
      0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,  // A..M
      0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,  // N..Z
  };
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return Letters[scancode - SDL_SCANCODE_A];
  }
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0) {
    return std::uint8_t(0x02 + (scancode - SDL_SCANCODE_1));  // 1..9, then 0 (0x0B)
  }
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F10) {
    return std::uint8_t(0x3B + (scancode - SDL_SCANCODE_F1));
  }
  switch (scancode) {
    case SDL_SCANCODE_ESCAPE:
      return 0x01;
    case SDL_SCANCODE_MINUS:
      return 0x0C;
    case SDL_SCANCODE_EQUALS:
      return 0x0D;
    case SDL_SCANCODE_BACKSPACE:
      return 0x0E;
    case SDL_SCANCODE_TAB:
      return 0x0F;
    case SDL_SCANCODE_LEFTBRACKET:
      return 0x1A;
    case SDL_SCANCODE_RIGHTBRACKET:
      return 0x1B;
    case SDL_SCANCODE_RETURN:
      return 0x1C;
    case SDL_SCANCODE_LCTRL:
      return 0x1D;
    case SDL_SCANCODE_SEMICOLON:
      return 0x27;
    case SDL_SCANCODE_APOSTROPHE:
      return 0x28;
    case SDL_SCANCODE_GRAVE:
      return 0x29;
    case SDL_SCANCODE_LSHIFT:
      return 0x2A;
    case SDL_SCANCODE_BACKSLASH:
      return 0x2B;
    case SDL_SCANCODE_NONUSHASH:
      return 0x2B;
    case SDL_SCANCODE_COMMA:
      return 0x33;
    case SDL_SCANCODE_PERIOD:
      return 0x34;
    case SDL_SCANCODE_SLASH:
      return 0x35;
    case SDL_SCANCODE_RSHIFT:
      return 0x36;
    case SDL_SCANCODE_KP_MULTIPLY:
      return 0x37;
    case SDL_SCANCODE_LALT:
      return 0x38;
    case SDL_SCANCODE_SPACE:
      return 0x39;
    case SDL_SCANCODE_CAPSLOCK:
      return 0x3A;
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return 0x45;
    case SDL_SCANCODE_SCROLLLOCK:
      return 0x46;
    case SDL_SCANCODE_KP_7:
      return 0x47;
    case SDL_SCANCODE_KP_8:
      return 0x48;
    case SDL_SCANCODE_KP_9:
      return 0x49;
    case SDL_SCANCODE_KP_MINUS:
      return 0x4A;
    case SDL_SCANCODE_KP_4:
      return 0x4B;
    case SDL_SCANCODE_KP_5:
      return 0x4C;
    case SDL_SCANCODE_KP_6:
      return 0x4D;
    case SDL_SCANCODE_KP_PLUS:
      return 0x4E;
    case SDL_SCANCODE_KP_1:
      return 0x4F;
    case SDL_SCANCODE_KP_2:
      return 0x50;
    case SDL_SCANCODE_KP_3:
      return 0x51;
    case SDL_SCANCODE_KP_0:
      return 0x52;
    case SDL_SCANCODE_KP_PERIOD:
      return 0x53;
    case SDL_SCANCODE_NONUSBACKSLASH:
      return 0x56;
    case SDL_SCANCODE_F11:
      return 0x57;
    case SDL_SCANCODE_F12:
      return 0x58;
    case SDL_SCANCODE_KP_ENTER:
      return 0x9C;
    case SDL_SCANCODE_RCTRL:
      return 0x9D;
    case SDL_SCANCODE_KP_DIVIDE:
      return 0xB5;
    case SDL_SCANCODE_PRINTSCREEN:
      return 0xB7;
    case SDL_SCANCODE_RALT:
      return 0xB8;
    case SDL_SCANCODE_PAUSE:
      return 0xC5;
    case SDL_SCANCODE_HOME:
      return 0xC7;
    case SDL_SCANCODE_UP:
      return 0xC8;
    case SDL_SCANCODE_PAGEUP:
      return 0xC9;
    case SDL_SCANCODE_LEFT:
      return 0xCB;
    case SDL_SCANCODE_RIGHT:
      return 0xCD;
    case SDL_SCANCODE_END:
      return 0xCF;
    case SDL_SCANCODE_DOWN:
      return 0xD0;
    case SDL_SCANCODE_PAGEDOWN:
      return 0xD1;
    case SDL_SCANCODE_INSERT:
      return 0xD2;
    case SDL_SCANCODE_DELETE:
      return 0xD3;
    case SDL_SCANCODE_LGUI:
      return 0xDB;
    case SDL_SCANCODE_RGUI:
      return 0xDC;
    case SDL_SCANCODE_APPLICATION:
      return 0xDD;
    default:
      return 0;
  }
}

std::uint8_t GamepadButtonCode(std::uint8_t button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A:
      return PAD_A;
    case SDL_CONTROLLER_BUTTON_B:
      return PAD_B;
    case SDL_CONTROLLER_BUTTON_X:
      return PAD_X;
    case SDL_CONTROLLER_BUTTON_Y:
      return PAD_Y;
    case SDL_CONTROLLER_BUTTON_BACK:
      return PAD_BACK;
    case SDL_CONTROLLER_BUTTON_START:
      return PAD_START;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
      return PAD_LEFT_SHOULDER;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
      return PAD_RIGHT_SHOULDER;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return PAD_UP;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return PAD_DOWN;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return PAD_LEFT;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return PAD_RIGHT;
    default:
      return 0;
  }
}

}  // namespace platform::sdl
