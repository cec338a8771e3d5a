// Help > How to play: every key of play and of the editor as the player has them now, the
// gamepad and the touch gestures, and where the keys can be changed.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

// The box's lines.
std::vector<std::string> HowToPlayLines();
void ShowHowToPlay(platform::Window window);
