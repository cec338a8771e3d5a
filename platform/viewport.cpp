#include "platform/viewport.h"

#include <algorithm>

namespace platform {

Viewport FitBoard(int width, int height, int boardPixels) {
  Viewport view;
  const int side = std::max(0, std::min(width, height));
  if (boardPixels <= 0) return view;
  const int scale = side / boardPixels;
  view.scale = scale;
  view.width = view.height = scale >= 1 ? scale * boardPixels : side;
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

int FirstScale(int usableWidth, int usableHeight, int chromeWidth, int chromeHeight,
               int boardPixels) {
  if (boardPixels <= 0) return 1;
  const long long w = (long long)usableWidth * 85 / 100 - chromeWidth;
  const long long h = (long long)usableHeight * 85 / 100 - chromeHeight;
  const long long scale = std::min(w, h) / boardPixels;
  return int(std::clamp(scale, 1LL, 16LL));
}

}  // namespace platform
