// The board's place and size in a window, the chrome's scale, and the window's first size.
#include "platform/viewport.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// The chrome's scale grows in quarter steps from 1.5 up.
constexpr float FirstUiStep = 1.5f;
constexpr float UiStep = 0.25f;
constexpr float MaxUiScale = 8;

int ScaledChrome(int pixels, float ui) {
  return int(std::lround(float(pixels) * ui));
}

}  // namespace

Viewport FitBoard(int width, int height, int boardPixels, bool wholePixels) {
  Viewport view;
  if (boardPixels <= 0) return view;
  const int side = std::max(0, std::min(width, height));
  int shown = side;
  if (wholePixels && side >= boardPixels) shown = side / boardPixels * boardPixels;
  view.width = view.height = shown;
  view.scale = std::max(1, (shown + boardPixels - 1) / boardPixels);
  view.smooth = shown % boardPixels != 0 || shown == 0;
  view.x = (width - view.width) / 2;
  view.y = (height - view.height) / 2;
  return view;
}

bool ViewportToBoard(const Viewport& view, int x, int y, int* boardX, int* boardY,
                     int boardPixels) {
  if (view.width <= 0 || view.height <= 0) return false;
  const long long dx = (long long)x - view.x;
  const long long dy = (long long)y - view.y;
  if (dx < 0 || dy < 0 || dx >= view.width || dy >= view.height) return false;
  *boardX = int(dx * boardPixels / view.width);
  *boardY = int(dy * boardPixels / view.height);
  return true;
}

WindowLayout LayoutWindow(int width, int height, int barHeight, int statusHeight, bool wholePixels,
                          float density, int boardPixels) {
  // The largest scale at which the board, between the chrome at that scale, is still shown at
  // least as large (in points); 1 when none from 1.5 up is.
  const float points = std::max(density, 0.01f) * float(std::max(boardPixels, 1));
  float ui = 1;
  for (float u = MaxUiScale; u >= FirstUiStep; u -= UiStep) {
    const int chrome = ScaledChrome(barHeight, u) + ScaledChrome(statusHeight, u);
    const Viewport board = FitBoard(width, height - chrome, boardPixels, wholePixels);
    if (float(board.height) >= u * points) {
      ui = u;
      break;
    }
  }
  WindowLayout layout;
  layout.uiScale = ui;
  layout.barHeight = ScaledChrome(barHeight, ui);
  layout.statusHeight = ScaledChrome(statusHeight, ui);
  layout.board = FitBoard(width, std::max(0, height - layout.barHeight - layout.statusHeight),
                          boardPixels, wholePixels);
  layout.board.y += layout.barHeight;
  return layout;
}

ClientSize FirstClientSize(int usableWidth, int usableHeight, int barHeight, int statusHeight,
                           float density, int boardPixels) {
  const int oneX = std::max(1, int(std::lround(float(boardPixels) * density)));
  const WindowLayout layout = LayoutWindow(usableWidth * 95 / 100, usableHeight * 85 / 100,
                                           barHeight, statusHeight, false, density, boardPixels);
  int side = layout.board.width;
  if (side < oneX) {
    // A crisp 1x board where one fits the screen at all.
    if (oneX + barHeight + statusHeight <= usableHeight && oneX <= usableWidth) side = oneX;
  } else if (side % oneX != 0 && side < side / oneX * oneX * 103 / 100) {
    side = side / oneX * oneX;  // a few per cent short of 85 % for every pixel pixel for pixel
  }
  // The chrome at the scale this board is shown at.
  const float times = float(side) / float(oneX);
  const float ui = times >= FirstUiStep ? std::floor(times / UiStep) * UiStep : 1.0f;
  return {side, side + ScaledChrome(barHeight, ui) + ScaledChrome(statusHeight, ui)};
}

}  // namespace platform
