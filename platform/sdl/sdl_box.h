// Modal boxes drawn over the board: the message box and the About box.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/sdl_draw.h"

namespace platform::sdl {

inline constexpr int BoxOk = 1;
inline constexpr int BoxCancel = 2;

// Shows a box with a caption bar (the caption may be empty) and its close button, the lines of
// text and its buttons (none: an OK button, BoxOk), and runs it modally until it is answered:
// the id of the button pressed, the first one's for Enter or Space; BoxCancel for Escape, the
// close button or the window's close box (which also sets *closeRequested). Nothing else
// reaches the game meanwhile. A low box stands in the board's lower half where it fits. Without a
// font the system's own message box is tried first, so the text can still be read.
int RunBox(Screen& screen, const std::string& caption, const std::vector<std::string>& lines,
           const std::vector<DialogButton>& buttons, bool* closeRequested, bool low = false);

// The text's lines, split at each '\n'.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace platform::sdl
