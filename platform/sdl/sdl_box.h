// Modal boxes drawn over the board: the message box, the About box and the box asking for text.
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

// Shows a box with the prompt over a one-line text field, and OK and Cancel, and runs it
// modally: typed text and text pasted (Ctrl+V, Shift+Insert) go into the field, Backspace takes
// the last character out (Ctrl+Backspace all), Enter is OK, Escape, Cancel and the close button
// cancel. True with *text set on OK. False at once without a font to draw the text with.
bool RunTextBox(Screen& screen, const std::string& caption, const std::string& prompt,
                std::string* text, bool* closeRequested);

// The text's lines, split at each '\n'.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace platform::sdl
