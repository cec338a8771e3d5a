// Leaving the level editor for play: Enter plays the board as painted, P saves it and tries
// "level.dat" as level 0, and Escape (or the Back button) in that test goes back to the editor.
#pragma once

#include "editor/editor.h"

// The Back button's command (the page's): back to play from the editor, back to the editor
// from a test.
inline constexpr std::uint16_t CmdEditorBack = 67;

// Acts on what the editor's frame asked for.
void LeaveEditor(EditorLeave leave);
// "level.dat" is in play as a test of the editor's level: the saved progress is left alone.
// Once another level or a puzzle is in play the test is over (EndTestPlay).
bool TestPlaying();
// From a test back to the editor, with the board as it was saved.
void BackToEditor();
// The test ends without going back (D opens the editor afresh): the progress is the player's
// again.
void EndTestPlay();

void ResetEditorPlayState();
