// One frame of play: the frame's input turned into a call of the rules, and the rules' events
// into pictures, sounds, records and saved progress.
#pragma once

#include <cstdint>

std::int32_t PlayFrame();
// True while a key pressed between boundaries waits for the next one (an arrow, undo, redo,
// hint or Show solution).
bool PlayFrameWaiting();
// Show solution asked by other means than its keys (the menu): at the next boundary, as a press.
void ShowSolutionAtBoundary();

void ResetPlayFrameState();
