// The board's place in windows of many sizes, and clicks mapped back through it. (The key latch
// the desktop windows share is checked on the real windows: a tap shorter than a frame moves the
// Player under Xvfb and under Wine.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/viewport.h"

namespace {

// For every size: the largest whole factor that fits (or a shrink below 1x), centred, and every
// point of the board maps back to the board pixel drawn there, every point beside it to none.
TEST(ViewportSweep, WholeFactorsCentredAndClicksRoundTripAtEverySize) {
  for (int w = 100; w <= 3900; w += 37) {
    for (int h = 100; h <= 2200; h += 53) {
      const platform::Viewport v = platform::FitBoard(w, h);
      const int side = std::min(w, h);
      ASSERT_EQ(v.width, v.height);
      if (side >= 560) {
        ASSERT_EQ(v.scale, side / 560) << w << "x" << h;
        ASSERT_EQ(v.width, v.scale * 560);
      } else {
        ASSERT_EQ(v.scale, 0);
        ASSERT_EQ(v.width, side);
      }
      ASSERT_LE(std::abs((w - v.width) - 2 * v.x), 1) << w << "x" << h;
      ASSERT_LE(std::abs((h - v.height) - 2 * v.y), 1) << w << "x" << h;
      int bx = -1, by = -1;
      for (int p = 0; p < 560; p += 13) {
        if (v.scale >= 1) {
          // Every screen pixel of the block that shows board pixel p maps back to p.
          for (int d : {0, v.scale - 1}) {
            ASSERT_TRUE(platform::ViewportToBoard(v, v.x + p * v.scale + d,
                                                  v.y + (559 - p) * v.scale + d, &bx, &by));
            ASSERT_EQ(bx, p);
            ASSERT_EQ(by, 559 - p);
          }
        }
      }
      ASSERT_TRUE(platform::ViewportToBoard(v, v.x + v.width - 1, v.y + v.height - 1, &bx, &by));
      // The last screen pixel shows the last board pixel (shrunk: the last it covers).
      const int last = v.scale >= 1 ? 559 : 559 - 560 / v.width;
      ASSERT_GE(bx, last) << w << "x" << h;
      ASSERT_GE(by, last) << w << "x" << h;
      ASSERT_FALSE(platform::ViewportToBoard(v, v.x - 1, v.y, &bx, &by));
      ASSERT_FALSE(platform::ViewportToBoard(v, v.x, v.y + v.height, &bx, &by));
      ASSERT_FALSE(platform::ViewportToBoard(v, v.x + v.width, v.y, &bx, &by));
    }
  }
}

}  // namespace
