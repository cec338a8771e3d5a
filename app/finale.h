// The closing screen: once the last of the levels is solved from its start, a few seconds on
// (with the finishing sound), a box shows every level's best against its par and offers what
// comes next: new puzzles and the collection when the File menu has them. The banner of a solved
// level stays on the board behind it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// How long after the solve the box opens.
inline constexpr std::uint32_t FinaleDelayMs = 4000;

// True while the box is still to come for the solve standing now, and when it is due.
bool FinalePending();
bool FinaleDue();
void ShowFinale(platform::Window window);
// The box's lines, and its buttons.
platform::DialogTemplate FinaleBox();

void ResetFinaleState();
