// Text and plain shapes drawn into a surface with the game's own small pixel font, so that a
// screen drawn in the frame looks the same in every backend and in the replay runner.
#pragma once

#include <cstdint>
#include <string>

#include "platform/surface.h"

// The font's height above the baseline and below it, in pixels at scale 1.
inline constexpr int TextAscent = 7;
inline constexpr int TextHeight = 9;

// The width the text takes at the scale (UTF-8; what the font lacks shows as '?').
int TextWidth(const std::string& text, int scale = 1);
// Draws the text with its top-left corner at (x, y), in the colour (0x00RRGGBB), clipped to
// the surface.
void DrawText(platform::Surface& surface, int x, int y, const std::string& text,
              std::uint32_t colour, int scale = 1);
// The text cut, with "..." at its end, to at most `width` pixels.
std::string FittedText(const std::string& text, int width, int scale = 1);

// A filled rectangle, and a frame `thickness` pixels wide inside the rectangle; clipped.
void FillBox(platform::Surface& surface, int x, int y, int width, int height, std::uint32_t colour);
void FrameBox(platform::Surface& surface, int x, int y, int width, int height, int thickness,
              std::uint32_t colour);
// Every pixel of the rectangle mixed with the colour: amount 0 keeps the pixel, 256 is the colour.
void ShadeBox(platform::Surface& surface, int x, int y, int width, int height, std::uint32_t colour,
              int amount);
