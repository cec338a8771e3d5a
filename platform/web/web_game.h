// What the page asks of the game itself: words for the board (for a screen reader), what changed
// since it last asked, whether a level file can be played. The one place in platform/web/ that
// reads the game's state; the backend asks it only whether the game's clock is still running.
#pragma once

namespace platform::web {

// True while the game may still change something by its own clock with nobody acting (the
// banner and fanfare of a solved level).
bool GameKeepsTime();

}  // namespace platform::web
