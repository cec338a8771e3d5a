// The status line under the board: the level and its name, the moves of this attempt, the
// player's best and the level's par, and what the keys do; after a solve, what it was worth and
// what to press next; in the editor, the editor's keys. The main loop sets it after every frame,
// with shorter forms for a narrow window, and the window's caption with it.
#pragma once

#include <string>
#include <vector>

// The line for the game as it stands now, then ever shorter forms of it: what the keys do goes
// first, then the level's name, and so on, so that a narrow window shows the whole of one.
std::vector<std::string> StatusLines();
// The first of them.
std::string StatusLine();
// "Yelko - Level 2: The canal".
std::string WindowCaption();
// Sets the line and the caption; true when either changed (it is then shown with the next
// frame, so the game must not rest before it).
bool UpdateStatusLine();

void ResetStatusState();
