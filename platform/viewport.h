// Where the 560 x 560 board sits in a window's client area of any size, and the way back from a
// pointer position to a board pixel. Shared by every desktop backend so that a click lands on
// the same cell whatever the window's size.
#pragma once

namespace platform {

struct Viewport {
  int x = 0, y = 0;           // top-left of the board in the area, in the area's pixels
  int width = 0, height = 0;  // the board's size on screen (square)
  int scale = 1;              // the whole factor, or 0 when the board is scaled down smoothly
};

// The board in an area of width x height pixels: scaled by the largest whole factor that fits,
// centred; when even 1x does not fit, scaled down to the largest square that does.
Viewport FitBoard(int width, int height, int boardPixels = 560);

// The board pixel under the area point (x, y). False when the point lies outside the board
// (in the letterbox); *boardX and *boardY are then left alone.
bool ViewportToBoard(const Viewport& view, int x, int y, int* boardX, int* boardY,
                     int boardPixels = 560);

// The whole scale for a window's first start: the largest factor (at least 1) at which the board
// with `chromeWidth` x `chromeHeight` of window around it (menu bar, status line) fits in about
// 85 % of the desktop's usable area.
int FirstScale(int usableWidth, int usableHeight, int chromeWidth, int chromeHeight,
               int boardPixels = 560);

}  // namespace platform
