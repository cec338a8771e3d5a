// The Windows backend: the game's window, menu, boxes, keyboard, mouse, gamepads, display,
// clock, sound and saved values on the Win32 API. Only platform/win32/ sees <windows.h>; the
// rest of the program reaches it through platform.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend.h"

namespace platform::win32 {

// Readies the game: the data files are looked up beside yelko.exe from now on (the working
// directory becomes its folder), and the system timer runs at 1 ms. Null when the game should
// not run: *alreadyRunning when another copy is running (its window was brought to the front),
// else a reason in *error (already shown to the player in a box).
Backend* CreateBackend(std::string* error, bool* alreadyRunning);
void DestroyBackend(Backend* backend);

// The module handle, which the game keeps as its instance.
std::uintptr_t InstanceHandle();

// A windowed program has no console: when started from one, print there, unless the output
// already goes somewhere (a file or a pipe).
void UseParentConsole();

// The command line in UTF-8, as the game's paths are (main's arguments come in the ANSI code
// page, which cannot name every file); empty when Windows cannot tell it.
std::vector<std::string> Utf8Arguments();

}  // namespace platform::win32
