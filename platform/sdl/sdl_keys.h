// From SDL's key codes to the codes the game knows: DirectInput scan codes for the keyboard
// snapshot, virtual keys for key messages. Both SDL scancodes and DirectInput codes name
// physical keys, so the mapping does not depend on the keyboard layout.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace platform::sdl {

// The DirectInput scan code of the key, or 0 for a key the game's keyboard has not.
std::uint8_t DirectInputCode(SDL_Scancode scancode);
// The virtual key of a key message, or 0.
std::uint32_t VirtualKey(SDL_Scancode scancode);
// The key a gamepad button stands for in the keyboard snapshot, or 0: the D-pad is the arrows,
// A hint (H), B undo (Z), Y redo (Y), Start restart (R).
std::uint8_t GamepadButtonCode(std::uint8_t button);

}  // namespace platform::sdl
