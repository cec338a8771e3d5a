// The board's place and size in windows of many sizes, the chrome around it, clicks mapped back
// through it, the first window on common screens, and the sharp scaling that draws it. (The key
// latch the desktop windows share is checked on the real windows: a tap shorter than a frame
// moves the Player under Xvfb and under Wine.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "platform/sharp_scale.h"
#include "platform/viewport.h"

namespace {

using platform::LayoutWindow;

// At every size from 300 to 4000 pixels: the board is the largest square that fits between the
// bar and the status line (a whole multiple with whole pixels only), centred, the chrome grows
// only with a board of 1.5x or more, and the middle of every cell maps back to that cell.
TEST(ViewportSweep, TheBoardFillsItsAreaCentredAndClicksFindTheirCell) {
  for (const bool whole : {false, true}) {
    for (int w = 300; w <= 4000; w += 37) {
      for (int h = 300; h <= 4000; h += 53) {
        const platform::WindowLayout l = LayoutWindow(w, h, 22, 22, whole);
        const platform::Viewport v = l.board;
        const int areaH = h - l.barHeight - l.statusHeight;
        const int side = std::min(w, areaH);
        ASSERT_EQ(v.width, v.height);
        ASSERT_EQ(v.width, whole && side >= 560 ? side / 560 * 560 : side) << w << "x" << h;
        ASSERT_EQ(v.smooth, v.width % 560 != 0);
        ASSERT_LE(std::abs((w - v.width) - 2 * v.x), 1) << w << "x" << h;
        ASSERT_LE(std::abs((areaH - v.height) - 2 * (v.y - l.barHeight)), 1) << w << "x" << h;
        ASSERT_TRUE(l.uiScale == 1 || (l.uiScale >= 1.5f && v.height >= l.uiScale * 560));
        ASSERT_EQ(l.barHeight, int(22 * l.uiScale + 0.5f));
        int bx = -1, by = -1;
        for (int c = 0; c < 14; c += 3) {
          const int x = v.x + (c * 40 + 20) * v.width / 560;
          const int y = v.y + ((13 - c) * 40 + 20) * v.height / 560;
          ASSERT_TRUE(platform::ViewportToBoard(v, x, y, &bx, &by));
          ASSERT_EQ(std::pair(bx / 40, by / 40), std::pair(c, 13 - c)) << w << "x" << h;
        }
        ASSERT_FALSE(platform::ViewportToBoard(v, v.x - 1, v.y, &bx, &by));
        ASSERT_FALSE(platform::ViewportToBoard(v, v.x, v.y + v.height, &bx, &by));
      }
    }
  }
}

// The first window fills about 85 % of the screen's height: at least 800 board pixels on
// 1080p, 1x on 1366 x 768, and the window it asks for lays out to that very board.
TEST(ViewportSweep, TheFirstWindowFillsMostOfTheScreen) {
  const auto board = [](int w, int h) {
    const platform::ClientSize c = platform::FirstClientSize(w, h, 22, 22);
    EXPECT_LE(c.height, h);
    const platform::Viewport v = LayoutWindow(c.width, c.height, 22, 22).board;
    EXPECT_EQ(v.width, c.width) << w << "x" << h;
    return v.height;
  };
  EXPECT_GE(board(1920, 1080), 800);
  EXPECT_GE(board(1366, 768), 560);
  EXPECT_EQ(board(2560, 1440), 1120);  // a few per cent short of 85 %: 2x exactly
  EXPECT_GE(board(3840, 2160), 1680);
}

// Sharp scaling: a whole multiple is the board pixel for pixel; any other size keeps every
// source column crisp (spread over at most three output columns, where plain smoothing would
// blur it) and even (as wide as the scale makes it); scaling some rows alone gives what scaling
// them all gives.
TEST(SharpScale, PixelsStayCrispAndEvenAndRowsUpdateAlone) {
  const auto scaled = [](int source, int side, const std::vector<std::uint32_t>& frame) {
    platform::SharpScaler s;
    platform::PrepareSharpScaler(s, source, side);
    int first = 0, last = 0;
    platform::SharpScale(s, frame.data(), 0, source - 1, &first, &last);
    return s;
  };
  std::vector<std::uint32_t> frame(14 * 14);
  for (int i = 0; i < 14 * 14; ++i) frame[i] = 0x10101u * std::uint32_t(i);
  const platform::SharpScaler twice = scaled(14, 28, frame);
  for (int y = 0; y < 28; ++y) {
    for (int x = 0; x < 28; ++x) ASSERT_EQ(twice.out[y * 28 + x], frame[y / 2 * 14 + x / 2]);
  }
  for (int c = 0; c < 14; ++c) {  // one white column on black
    std::vector<std::uint32_t> column(14 * 14, 0);
    for (int y = 0; y < 14; ++y) column[y * 14 + c] = 0xFFFFFF;
    const platform::SharpScaler s = scaled(14, 25, column);
    int from = 25, to = -1, sum = 0;
    for (int x = 0; x < 25; ++x) {
      const int v = int(s.out[12 * 25 + x] & 0xFF);
      if (v != 0) from = std::min(from, x), to = x;
      sum += v;
    }
    EXPECT_LE(to - from, 2) << c;
    EXPECT_NEAR(sum / 255.0, 25.0 / 14, 0.3) << c;
  }

  std::vector<std::uint32_t> board(560 * 560, 0x336699);
  platform::SharpScaler s = scaled(560, 1030, board);
  std::mt19937 random(7);
  for (int i = 200 * 560; i < 240 * 560; ++i) board[i] = random() & 0xFFFFFF;
  int first = 0, last = 0;
  platform::SharpScale(s, board.data(), 200, 239, &first, &last);
  EXPECT_LT(last - first, 80);
  EXPECT_EQ(s.out, scaled(560, 1030, board).out);
}

}  // namespace
