// From SDL's key codes to the game's one code space (platform/keys.h): DirectInput scan codes
// for the keyboard, the pad codes for a gamepad's buttons. Both SDL scancodes and DirectInput
// codes name physical keys, so the mapping does not depend on the keyboard layout.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace platform::sdl {

// The DirectInput scan code of the key, or 0 for a key the game's keyboard has not.
std::uint8_t DirectInputCode(SDL_Scancode scancode);
// The game's code of a gamepad button, or 0 for a button it has no code for.
std::uint8_t GamepadButtonCode(std::uint8_t button);

}  // namespace platform::sdl
