// The window's place between runs: its size, position and full-screen state, in a small text
// file of the user's configuration ($XDG_CONFIG_HOME/yelko/window, else ~/.config/yelko/window).
#pragma once

#include <string>

namespace platform::sdl {

struct WindowPlace {
  int x = 0;
  int y = 0;
  int width = 0;  // of the window (not full screen), in points
  int height = 0;
  bool fullScreen = false;
};

// The settings file's path; empty when neither XDG_CONFIG_HOME nor HOME is set.
std::string WindowPlacePath();
// False when the file is missing, unreadable or not exactly a place this program wrote (any
// other content is ignored, and the window starts at its default place).
bool LoadWindowPlace(WindowPlace* place);
// Replaces the file whole or not at all.
// False when it cannot be kept; *why says why.
bool SaveWindowPlace(const WindowPlace& place, std::string* why);

}  // namespace platform::sdl
