// The browser backend: the game's window, menu, boxes, keyboard, mouse, touch, display, sound
// and saved values in a web page, on emscripten. Only platform/web/ sees emscripten; the page's
// own side is JavaScript: page.js (the HTML menu, the boxes, input events, Web Audio, layout),
// store.js (the saved values in IndexedDB) and load.js (the packed code and data).
#pragma once

#include <string>

#include "platform/backend.h"

namespace platform::web {

// Readies the page for the game: the data files are in /game (the working directory from now
// on), and the player's saved values, which the page read from the browser's storage before the
// program started, are read through the backend. The editor's "level.dat" kept there is put in
// place, and from now on every level.dat the game saves is kept there too.
Backend* CreateBackend(std::string* error);
// Tells the page that the game has ended.
void DestroyBackend(Backend* backend);

}  // namespace platform::web
