// The desktop backend: the game's window, menu, boxes, keyboard, mouse, display and sound on
// SDL2. Only platform/sdl/ sees SDL; the rest of the program reaches it through platform.h.
#pragma once

#include <string>

#include "platform/backend.h"

namespace platform::sdl {

// Starts SDL (video; audio is started when the game opens it). Null with a human-readable reason
// in *error when there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set, unless
// SDL_VIDEODRIVER names a driver) or SDL cannot start.
Backend* CreateBackend(std::string* error);
void DestroyBackend(Backend* backend);

}  // namespace platform::sdl
