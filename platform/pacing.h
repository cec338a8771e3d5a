// The game's own 60 Hz clock. The game runs exactly sixty frames per second whatever the
// display does (a 144 Hz monitor, a driver without vsync, a virtual framebuffer): each frame
// waits for the next tick of this clock, and the display's vsync, where there is one, only
// smooths the picture.
//
// Ticks fall at origin + n * 1/60 s, computed from the tick count and never accumulated, so the
// clock does not drift. A frame that comes late is shown at once and the next one is still due at
// its own tick (the game catches up); once it has fallen more than MaxLagTicks behind (a menu or
// dialog held the game, the window lost the focus), the clock starts again from now instead of
// running a burst of frames.
#pragma once

#include <cstdint>

namespace platform {

inline constexpr std::uint64_t TicksPerSecond = 60;
inline constexpr std::uint64_t MaxLagTicks = 3;
// How long before a tick the wait stops sleeping and spins, to absorb the sleep's inaccuracy.
inline constexpr std::uint64_t SpinMicros = 1000;

// YELKO_FPS_LOG: the presented frame rate on standard error every five seconds. A stretch in
// which no frame ran for a quarter of a second (a menu, a box, no focus) starts the count again.
struct FrameRateLog {
  std::uint64_t start = 0, last = 0;  // milliseconds
  int frames = 0;
};
void CountPresentedFrame(FrameRateLog& log, std::uint64_t nowMs);

struct FramePacer {
  bool started = false;
  std::uint64_t origin = 0;  // microseconds of tick 0
  std::uint64_t ticks = 0;   // ticks since origin of the last deadline handed out
};

// A source of time and a way to pass it. The desktop uses the system's steady clock; tests use a
// fake one.
struct PacingClock {
  void* context = nullptr;
  std::uint64_t (*nowMicros)(void* context) = nullptr;
  void (*sleepMicros)(void* context, std::uint64_t micros) = nullptr;
  void (*spin)(void* context) = nullptr;
};

// Hands out the deadline of the next frame, given the time now: the next tick, or now itself
// after a (re)start.
std::uint64_t NextFrameDeadline(FramePacer& pacer, std::uint64_t nowMicros);

// Blocks until the next frame's deadline: sleeps while more than SpinMicros remain, then spins.
// Returns the deadline waited for.
std::uint64_t WaitForNextTick(FramePacer& pacer, const PacingClock& clock);

// std::chrono::steady_clock, std::this_thread::sleep_for and yield.
PacingClock SystemPacingClock();

}  // namespace platform
