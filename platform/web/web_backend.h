// The browser backend: the game's window, menu, boxes, keyboard, mouse, touch, display, sound
// and saved values in a web page, on emscripten. Only platform/web/ sees emscripten; the page's
// own side (the HTML menu, the boxes, input events, Web Audio, storage) is page.js.
#pragma once

#include <string>

#include "platform/backend.h"

namespace platform::web {

// Readies the page for the game: the data files are in /game (the working directory from now
// on) and the player's saved values in /persist, which the page has loaded from the browser's
// storage before the program started. The editor's "level.dat" kept there is put in place.
Backend* CreateBackend(std::string* error);
// Tells the page that the game has ended.
void DestroyBackend(Backend* backend);

}  // namespace platform::web
