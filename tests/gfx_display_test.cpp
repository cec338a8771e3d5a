#include <gtest/gtest.h>

#include "gfx/bob.h"
#include "gfx/display.h"
#include "platform/headless/headless.h"
#include "tests/test_support.h"

namespace {

class Display : public testing_support::FreshProgram {};

TEST_F(Display, AfterAFailedStartNothingDrawsButFramesStillTick) {
  headless::KeepFrames(true);
  headless::SetFailures({.display = true});
  EXPECT_EQ(DisplayInit(800, 600, 32), 0u);
  EXPECT_EQ(CreateDisplaySurface(10, 10), nullptr);
  Bob bob{};
  EXPECT_EQ(CreateBob(&bob, 5, 6, 40, 40, 1, 0x11, 0), 0u);
  BitmapFile sheet{};
  sheet.infoHeader.width = 82;
  sheet.infoHeader.height = 42;
  sheet.pixels.assign(82 * 42 * 3, 7);
  EXPECT_EQ(LoadBobFrame(&bob, &sheet, 0, 0, 0, 0), 0u);
  bob.attributes |= BobVisible;
  EXPECT_EQ(DrawBob(&bob, BackBuffer), 0u);
  EXPECT_EQ(DrawBobScaled(&bob, 100, 100, BackBuffer), 0u);
  EXPECT_EQ(SetBobPosition(&bob, 40, 80), 1u);  // positions are game state and still move
  EXPECT_EQ(bob.x, 40);

  PresentFrame(1);
  PresentFrame(1);
  EXPECT_EQ(headless::FramesPresented(), 2);
  EXPECT_EQ(headless::LastFrame(), nullptr);
  EXPECT_EQ(DisplayShutdown(), 1u);
}

}  // namespace
