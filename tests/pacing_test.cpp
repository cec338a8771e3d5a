#include "platform/pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace {

using platform::FramePacer;
using platform::PacingClock;

constexpr std::uint64_t Second = 1000000;

// A simulated machine: time passes only through work, sleeps, spins and presents.
struct FakeMachine {
  std::uint64_t now = 5 * Second;
  std::uint64_t sleepGrain = 1;  // sleeps round up to a multiple of this
  std::uint64_t oversleep = 0;   // and then overshoot by this much
  std::uint64_t spinStep = 5;
  std::uint64_t spins = 0;
};

PacingClock ClockOf(FakeMachine& m) {
  PacingClock c;
  c.context = &m;
  c.nowMicros = [](void* p) { return static_cast<FakeMachine*>(p)->now; };
  c.sleepMicros = [](void* p, std::uint64_t micros) {
    auto* m = static_cast<FakeMachine*>(p);
    m->now += (micros + m->sleepGrain - 1) / m->sleepGrain * m->sleepGrain + m->oversleep;
  };
  c.spin = [](void* p) {
    auto* m = static_cast<FakeMachine*>(p);
    m->now += m->spinStep;
    ++m->spins;
  };
  return c;
}

// A display whose present blocks until its next refresh (vsync), or returns at once (hz 0).
struct FakeDisplay {
  std::uint64_t hz = 0;
  std::uint64_t phase = 0;

  void Present(FakeMachine& m) const {
    if (hz == 0) return;
    std::uint64_t k = (m.now - phase) * hz / Second;
    while (phase + k * Second / hz < m.now) ++k;
    m.now = phase + k * Second / hz;
  }
};

// Runs the game's frame loop (work, wait for the tick, present) for `seconds` of simulated time
// and returns the moments of the presents.
std::vector<std::uint64_t> RunGame(FakeMachine& m, const FakeDisplay& display,
                                   std::uint64_t seconds,
                                   const std::function<std::uint64_t(int)>& workOfFrame) {
  FramePacer pacer;
  const PacingClock clock = ClockOf(m);
  const std::uint64_t end = m.now + seconds * Second;
  std::vector<std::uint64_t> presents;
  for (int frame = 0; m.now < end; ++frame) {
    m.now += workOfFrame(frame);
    platform::WaitForNextTick(pacer, clock);
    display.Present(m);
    presents.push_back(m.now);
  }
  return presents;
}

// Frames presented in each whole second after the first (which holds the start-up).
std::vector<int> FramesPerSecond(const std::vector<std::uint64_t>& presents) {
  const std::uint64_t start = presents.front() + Second;
  std::vector<int> counts;
  for (std::uint64_t from = start; from + Second <= presents.back(); from += Second) {
    counts.push_back(int(std::count_if(presents.begin(), presents.end(), [&](std::uint64_t t) {
      return t >= from && t < from + Second;
    })));
  }
  return counts;
}

void ExpectSixtyEverySecond(const std::vector<std::uint64_t>& presents) {
  const std::vector<int> counts = FramesPerSecond(presents);
  ASSERT_GE(counts.size(), 8u);
  for (int c : counts) EXPECT_NEAR(c, 60, 1);
  // Over the whole run no frame is gained or lost: the clock does not drift.
  const std::uint64_t span = presents.back() - presents[1];
  EXPECT_NEAR(double(presents.size() - 2), double(span) * 60 / Second, 1.5);
}

// Sixty frames every second, whatever the display's refresh, a timer of whole milliseconds that
// wakes late, or a slow frame twice a second (the frames after it run at once until the game is
// back on its ticks). Spinning covers at most about a millisecond per frame; the rest is slept.
TEST(Pacing, SixtyFramesPerSecondOnEveryDisplayTimerAndLoad) {
  struct Case {
    const char* name;
    FakeDisplay display;
    std::uint64_t sleepGrain, oversleep;
    std::uint64_t slowFrame;  // the work of every 30th frame, in microseconds
  };
  for (const Case& c :
       {Case{"144 Hz vsync", {144, 1234}, 1, 0, 2000}, Case{"60 Hz vsync", {60, 7000}, 1, 0, 2000},
        Case{"75 Hz vsync", {75, 0}, 1, 0, 2000},
        Case{"no vsync, coarse sleeps", {0, 0}, 1000, 300, 3000},
        Case{"no vsync, slow frames", {0, 0}, 1, 0, 40000}}) {
    SCOPED_TRACE(c.name);
    FakeMachine m;
    m.sleepGrain = c.sleepGrain;
    m.oversleep = c.oversleep;
    const auto presents = RunGame(
        m, c.display, 10, [&](int f) { return f % 30 == 29 ? c.slowFrame : std::uint64_t(2000); });
    ExpectSixtyEverySecond(presents);
    EXPECT_LE(m.spins * m.spinStep, presents.size() * (platform::SpinMicros + 100));
  }
}

TEST(Pacing, ALongPauseRestartsTheClockInsteadOfRacing) {
  // A two-second pause (a menu held open): the game does not race through the missed
  // frames afterwards, it goes on at the normal rate.
  FakeMachine m;
  const auto presents =
      RunGame(m, {}, 6, [](int f) { return std::uint64_t(f == 100 ? 2 * Second : 2000); });
  const auto pause = std::adjacent_find(presents.begin(), presents.end(),
                                        [](auto a, auto b) { return b - a > Second; });
  ASSERT_NE(pause, presents.end());
  for (auto it = pause + 1; it + 1 != presents.end(); ++it) {
    EXPECT_GE(*(it + 1) - *it, 16000u) << "burst after the pause";
  }
}

}  // namespace
