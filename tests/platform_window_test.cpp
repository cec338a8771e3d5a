// The shared window system: one game window, a queue that hands out one message at a time,
// and a menu whose enabled states the game sets.
#include <vector>

#include "platform/headless/headless.h"
#include "platform/key_latch.h"
#include "platform/platform.h"
#include "platform/viewport.h"
#include "tests/test_support.h"

namespace {

std::vector<std::uint32_t> Seen;

std::int64_t RecordingProc(platform::Window w, std::uint32_t id, std::uint64_t wp,
                           std::int64_t lp) {
  Seen.push_back(id);
  if (id == platform::WM_DESTROY) platform::PostQuitMessage(0);
  return platform::DefWindowProc(w, id, wp, lp);
}

class WindowSystem : public testing_support::FreshProgram {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    Seen.clear();
    ASSERT_TRUE(platform::RegisterWindowClass("WINXCLASS", RecordingProc));
    window_ = platform::CreateGameWindow("WINXCLASS", "Yelko",
                                         {{"&File", 0, 0, true}, {"Level 1", 21, 1, false}});
    ASSERT_NE(window_, 0u);
  }
  platform::Window window_ = 0;
};

TEST_F(WindowSystem, CreationSendsCreateAndTheWindowIsFoundByClassAndTitle) {
  EXPECT_EQ(Seen, std::vector<std::uint32_t>{platform::WM_CREATE});
  EXPECT_EQ(platform::FindWindow("WINXCLASS", nullptr), window_);
  EXPECT_EQ(platform::FindWindow("WINXCLASS", "Yelko"), window_);
  EXPECT_EQ(platform::FindWindow("WINXCLASS", "Other"), 0u);
  EXPECT_EQ(platform::FindWindow("OTHER", nullptr), 0u);
  EXPECT_EQ(platform::GetActiveWindow(), window_);
  // A second game window is refused.
  EXPECT_EQ(platform::CreateGameWindow("WINXCLASS", "Yelko", {}), 0u);
}

TEST_F(WindowSystem, MessagesComeOutOneAtATimeInOrder) {
  platform::PostMessage(window_, platform::WM_PAINT, 0, 0);
  platform::PostMessage(window_, platform::WM_KEYDOWN, 7, 0);
  platform::Message m;
  ASSERT_TRUE(platform::PeekMessage(&m));
  EXPECT_EQ(m.id, platform::WM_PAINT);
  ASSERT_TRUE(platform::PeekMessage(&m));
  EXPECT_EQ(m.id, platform::WM_KEYDOWN);
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(platform::PeekMessage(&m));
}

TEST_F(WindowSystem, CloseDestroysTheWindowAndQueuesQuit) {
  platform::PostMessage(window_, platform::WM_CLOSE, 0, 0);
  platform::Message m;
  ASSERT_TRUE(platform::PeekMessage(&m));
  platform::DispatchMessage(m);
  EXPECT_EQ(Seen.back(), platform::WM_DESTROY);
  EXPECT_EQ(platform::FindWindow("WINXCLASS", nullptr), 0u);
  ASSERT_TRUE(platform::PeekMessage(&m));
  EXPECT_EQ(m.id, platform::WM_QUIT);
}

TEST_F(WindowSystem, MenuItemsStartAsGivenAndChangeById) {
  EXPECT_FALSE(platform::IsMenuItemEnabled(window_, 21));
  EXPECT_TRUE(platform::EnableMenuItem(window_, 21, true));
  EXPECT_TRUE(platform::IsMenuItemEnabled(window_, 21));
  // An id with no item changes nothing.
  EXPECT_FALSE(platform::EnableMenuItem(window_, 25, true));
  EXPECT_FALSE(platform::IsMenuItemEnabled(window_, 25));
}

TEST_F(WindowSystem, PackedPointsKeepTheirSign) {
  const std::int64_t p = platform::PackPoint(-10, 300);
  EXPECT_EQ(std::int16_t(p & 0xFFFF), -10);
  EXPECT_EQ(std::int16_t((p >> 16) & 0xFFFF), 300);
}

}  // namespace

// A tap shorter than a frame must still move the Player: the next snapshot sees it once.
TEST(KeyLatch, ATapBetweenSnapshotsIsSeenOnceAndAHeldKeyStaysHeld) {
  platform::KeyLatch latch;
  std::uint8_t state[256];
  platform::KeyLatchDown(latch, 0xCB);
  platform::KeyLatchUp(latch, 0xCB);
  platform::KeyLatchDown(latch, 0xC8);
  platform::KeyLatchSnapshot(latch, state);
  EXPECT_EQ(state[0xCB], 0x80);
  EXPECT_EQ(state[0xC8], 0x80);
  platform::KeyLatchSnapshot(latch, state);
  EXPECT_EQ(state[0xCB], 0);
  EXPECT_EQ(state[0xC8], 0x80);
}

// Whole factors with the board centred, a smooth shrink below 1x, and clicks mapped back to the
// board pixel under them, none from the letterbox.
TEST(Viewport, FitsByWholeFactorsAndMapsClicksBackToBoardPixels) {
  const platform::Viewport big = platform::FitBoard(1920, 1200);
  EXPECT_EQ(big.scale, 2);
  EXPECT_EQ(big.width, 1120);
  EXPECT_EQ(big.x, 400);
  EXPECT_EQ(big.y, 40);
  int bx = -1, by = -1;
  EXPECT_FALSE(platform::ViewportToBoard(big, 399, 600, &bx, &by));
  ASSERT_TRUE(platform::ViewportToBoard(big, 400 + 81, 40 + 1119, &bx, &by));
  EXPECT_EQ(bx, 40);
  EXPECT_EQ(by, 559);
  const platform::Viewport small = platform::FitBoard(300, 400);
  EXPECT_EQ(small.scale, 0);
  EXPECT_EQ(small.width, 300);
  EXPECT_EQ(small.y, 50);
  ASSERT_TRUE(platform::ViewportToBoard(small, 299, 50, &bx, &by));
  EXPECT_EQ(bx, 558);
  EXPECT_EQ(by, 0);
}
