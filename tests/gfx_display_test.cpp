#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "gfx/bob.h"
#include "gfx/display.h"
#include "platform/headless/headless.h"
#include "tests/test_support.h"

namespace {

class Display : public testing_support::FreshProgram {};

TEST_F(Display, PresentsTheWholeBackBufferUnscaledOncePerTick) {
  headless::KeepFrames(true);
  ASSERT_EQ(DisplayInit(800, 600, 32), 1u);
  EXPECT_EQ(headless::RequestedWidth(), 800);
  EXPECT_EQ(headless::RequestedHeight(), 600);
  ASSERT_NE(BackBuffer, nullptr);
  ASSERT_NE(PrimarySurface, nullptr);
  EXPECT_EQ(BackBuffer->width, BoardPixels);
  EXPECT_EQ(BackBuffer->height, BoardPixels);
  EXPECT_EQ(PrimarySurface->width, BoardPixels);

  for (std::size_t i = 0; i < BackBuffer->pixels.size(); ++i) {
    BackBuffer->pixels[i] = std::uint32_t(i * 2654435761u) & 0xFFFFFF;
  }
  const std::uint32_t before = headless::Now();
  PresentFrame(1);
  EXPECT_EQ(headless::FramesPresented(), 1);
  EXPECT_EQ(headless::Now() - before, 16u);
  const platform::Surface* shown = headless::LastFrame();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->width, BoardPixels);
  EXPECT_EQ(shown->pixels, BackBuffer->pixels);

  EXPECT_EQ(DisplayShutdown(), 1u);
  EXPECT_EQ(BackBuffer, nullptr);
  EXPECT_EQ(PrimarySurface, nullptr);
  EXPECT_TRUE(DisplaySurfaces.empty());
}

TEST_F(Display, AfterAFailedStartNothingDrawsButFramesStillTick) {
  headless::Failures failures;
  failures.display = true;
  headless::SetFailures(failures);
  headless::KeepFrames(true);
  EXPECT_EQ(DisplayInit(800, 600, 32), 0u);
  EXPECT_EQ(BackBuffer, nullptr);
  EXPECT_EQ(CreateDisplaySurface(10, 10), nullptr);

  Bob bob{};
  EXPECT_EQ(CreateBob(&bob, 5, 6, 40, 40, 1, 0x11, 0), 0u);
  EXPECT_EQ(bob.frameSurfaces[0], nullptr);
  BitmapFile sheet{};
  sheet.infoHeader.width = 82;
  sheet.infoHeader.height = 42;
  sheet.pixels.assign(82 * 42 * 3, 7);
  EXPECT_EQ(LoadBobFrame(&bob, &sheet, 0, 0, 0, 0), 0u);
  bob.attributes |= BobVisible;
  EXPECT_EQ(DrawBob(&bob, BackBuffer), 0u);
  EXPECT_EQ(DrawBobScaled(&bob, 100, 100, BackBuffer), 0u);
  EXPECT_EQ(DestroyBob(&bob), 1u);
  // Positions are game state and still move.
  EXPECT_EQ(SetBobPosition(&bob, 40, 80), 1u);
  EXPECT_EQ(bob.x, 40);

  PresentFrame(1);
  PresentFrame(1);
  EXPECT_EQ(headless::FramesPresented(), 2);
  EXPECT_EQ(headless::LastFrame(), nullptr);
  EXPECT_EQ(DisplayShutdown(), 1u);
}

TEST_F(Display, ReleasingASurfaceEarlyFreesItOnce) {
  ASSERT_EQ(DisplayInit(800, 600, 32), 1u);
  platform::Surface* s = CreateDisplaySurface(8, 8);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(DisplaySurfaces.size(), 3u);
  ReleaseDisplaySurface(s);
  ReleaseDisplaySurface(s);  // already gone: ignored
  platform::Surface foreign;
  ReleaseDisplaySurface(&foreign);  // not the display's: ignored
  EXPECT_EQ(DisplaySurfaces.size(), 2u);
  // Surfaces left at the end are freed by the reset between tests (the leak checker watches).
  CreateDisplaySurface(16, 16);
}

TEST_F(Display, ErrorLogWritesNothingUnlessOpenedAndCutsLongLines) {
  EXPECT_EQ(WriteErrorLog("\nCreate BOB %d", 0), 0u);

  ErrorLog = std::tmpfile();
  ASSERT_NE(ErrorLog, nullptr);
  EXPECT_EQ(WriteErrorLog("%s%%d", std::string(100, 'x').c_str()), 1u);
  EXPECT_EQ(WriteErrorLog("%s", "100%d"), 1u);
  std::rewind(ErrorLog);
  char text[256] = {};
  const std::size_t n = std::fread(text, 1, sizeof text - 1, ErrorLog);
  EXPECT_EQ(std::string(text, n), std::string(79, 'x') + "100%d");
  std::fclose(ErrorLog);
  ErrorLog = nullptr;
}

}  // namespace
