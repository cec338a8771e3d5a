// One frame of play: the frame's input turned into a call of the rules, and the rules' events
// into pictures, sounds, records and saved progress.
#pragma once

#include <cstdint>

std::int32_t PlayFrame();

void ResetPlayFrameState();
