// The browser backend: the game's window, menu, boxes, keyboard, mouse, touch, display, sound
// and saved values in a web page, on emscripten. Only platform/web/ sees emscripten; the page's
// own side is JavaScript: page.js (the HTML menu, the boxes, input events, Web Audio, layout),
// store.js (the saved values in IndexedDB) and load.js (the packed code and data).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/backend.h"

namespace platform::web {

// What the page asks of the game itself, answered above this layer (app/web_words.h) and handed
// down before the backend is made. Any left null is not asked: the page then hears nothing.
struct GameQuestions {
  std::string (*describe)() = nullptr;  // the board in words (the ? key)
  std::string (*news)() = nullptr;      // what changed since the last call, "" when nothing
  int (*nextLevel)() = nullptr;         // the level a restart starts after a solve, else 0
  // Why the bytes are no level the game can play, "" when they are one.
  std::string (*levelProblem)(const std::uint8_t* bytes, std::size_t size) = nullptr;
  // Frames a picture must stand still, with nobody acting, before nothing can change any more.
  int (*framesBeforeRest)() = nullptr;
  // The code of the puzzle in play, kept in the page's address; "" for a shipped level.
  std::string (*puzzleCode)() = nullptr;
  // 1 in the editor, 2 while its level.dat is tested, else 0: which buttons the page shows.
  int (*editing)() = nullptr;
};
void SetGameQuestions(const GameQuestions& questions);

// Readies the page for the game: the data files are in /game (the working directory from now
// on), and the player's saved values, which the page read from the browser's storage before the
// program started, are read through the backend. The editor's "level.dat" kept there is put in
// place, and from now on every level.dat the game saves is kept there too.
Backend* CreateBackend(std::string* error);
// Tells the page that the game has ended.
void DestroyBackend(Backend* backend);

}  // namespace platform::web
