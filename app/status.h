// The status line under the board: the level, the moves of this attempt, the player's best and
// the level's par, and what the keys do; after a solve, what it was worth; in the editor, the
// editor's keys. The main loop sets it after every frame.
#pragma once

#include <string>

// The line for the game as it stands now.
std::string StatusLine();
void UpdateStatusLine();
