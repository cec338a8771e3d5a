// Where the 560 x 560 board sits in a window's client area of any size, how large the menu bar
// and status line around it are, the way back from a pointer position to a board pixel, and the
// window's first size. Shared by every desktop backend so that a click lands on the same cell
// whatever the window's size.
#pragma once

namespace platform {

// The game's frame: a square of this many pixels, which every window shows scaled (the page
// has the same number, page.js's YelkoBoardPixels).
inline constexpr int BoardPixels = 560;

struct Viewport {
  int x = 0, y = 0;           // top-left of the board in the area, in the area's pixels
  int width = 0, height = 0;  // the board's size on screen (square)
  int scale = 1;              // the whole factor the board is drawn at first
  bool smooth = false;        // ... and then reduced smoothly to width x height
};

// The board in an area of width x height pixels: the largest square that fits, centred. A size
// that is a whole multiple of the board is drawn pixel for pixel; any other is drawn at the next
// whole multiple up and reduced smoothly from there ("sharp bilinear": every board pixel stays
// a crisp, even block, blended only along its edges). With wholePixels the board takes the
// largest whole multiple that fits instead. Below 1x it is always reduced smoothly.
Viewport FitBoard(int width, int height, int boardPixels = BoardPixels, bool wholePixels = false);

// The board pixel under the area point (x, y). False when the point lies outside the board
// (in the letterbox); *boardX and *boardY are then left alone.
bool ViewportToBoard(const Viewport& view, int x, int y, int* boardX, int* boardY,
                     int boardPixels = BoardPixels);

// A window's parts. The menu bar, the status line and the boxes keep their size until the board
// is shown at 1.5x or more (in the screen's own points, `density` pixels each); from there they
// grow with it, in quarter steps, so that the text stays in proportion to the board.
struct WindowLayout {
  float uiScale = 1;  // of the menu bar, status line and boxes against their own size
  int barHeight = 0;
  int statusHeight = 0;
  Viewport board;  // in the whole area, between the bar and the status line
};
WindowLayout LayoutWindow(int width, int height, int barHeight, int statusHeight,
                          bool wholePixels = false, float density = 1,
                          int boardPixels = BoardPixels);

// The client area of a window's first start: about 85 % of the usable height, the board as large
// as fits there with the bar and status line at their scale, never below 1x where 1x fits the
// screen at all, and as wide as the board.
struct ClientSize {
  int width = 0, height = 0;
};
ClientSize FirstClientSize(int usableWidth, int usableHeight, int barHeight, int statusHeight,
                           float density = 1, int boardPixels = BoardPixels);

}  // namespace platform
