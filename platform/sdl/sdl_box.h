// Modal boxes drawn over the board: the message box and the About box.
#pragma once

#include <string>
#include <vector>

#include "platform/sdl/sdl_draw.h"

namespace platform::sdl {

inline constexpr int BoxOk = 1;
inline constexpr int BoxCancel = 2;

// Shows a box with a caption bar (the caption may be empty) and its close button, the lines of
// text and an OK button, and runs it modally until it is answered: BoxOk for the button, Enter
// or Space; BoxCancel for Escape, the close button or the window's close box (which also sets
// *closeRequested). Nothing else reaches the game meanwhile. Without a font the system's own
// message box is tried first, so the text can still be read.
int RunBox(Screen& screen, const std::string& caption, const std::vector<std::string>& lines,
           bool* closeRequested);

// The text's lines, split at each '\n'.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace platform::sdl
