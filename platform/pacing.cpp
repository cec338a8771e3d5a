#include "platform/pacing.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace platform {
namespace {

std::uint64_t TickTime(const FramePacer& pacer, std::uint64_t tick) {
  return pacer.origin + tick * 1000000 / TicksPerSecond;
}

std::uint64_t SteadyNow(void*) {
  using namespace std::chrono;
  return std::uint64_t(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

void SteadySleep(void*, std::uint64_t micros) {
  std::this_thread::sleep_for(std::chrono::microseconds(micros));
}

void SteadySpin(void*) {
  std::this_thread::yield();
}

}  // namespace

std::uint64_t NextFrameDeadline(FramePacer& pacer, std::uint64_t nowMicros) {
  if (pacer.started) {
    // Whole seconds move into the origin so the tick count stays small; the sum is unchanged.
    if (pacer.ticks >= TicksPerSecond) {
      pacer.origin += 1000000;
      pacer.ticks -= TicksPerSecond;
    }
    const std::uint64_t next = TickTime(pacer, pacer.ticks + 1);
    const std::uint64_t lagLimit = TickTime(pacer, pacer.ticks + 1 + MaxLagTicks);
    if (nowMicros <= lagLimit) {
      ++pacer.ticks;
      return next;
    }
  }
  pacer.started = true;
  pacer.origin = nowMicros;
  pacer.ticks = 0;
  return nowMicros;
}

std::uint64_t WaitForNextTick(FramePacer& pacer, const PacingClock& clock) {
  const std::uint64_t deadline = NextFrameDeadline(pacer, clock.nowMicros(clock.context));
  for (;;) {
    const std::uint64_t now = clock.nowMicros(clock.context);
    if (now >= deadline) break;
    const std::uint64_t left = deadline - now;
    if (left > SpinMicros) {
      clock.sleepMicros(clock.context, left - SpinMicros);
    } else {
      clock.spin(clock.context);
    }
  }
  return deadline;
}

PacingClock SystemPacingClock() {
  PacingClock clock;
  clock.nowMicros = SteadyNow;
  clock.sleepMicros = SteadySleep;
  clock.spin = SteadySpin;
  return clock;
}

void CountPresentedFrame(FrameRateLog& log, std::uint64_t nowMs) {
  if (log.frames == 0 || nowMs - log.last > 250) {
    log.start = nowMs;
    log.frames = 0;
  }
  log.last = nowMs;
  ++log.frames;
  if (nowMs - log.start >= 5000) {
    std::fprintf(stderr, "yelko: %.2f frames/s over %.2f s\n",
                 double(log.frames - 1) * 1000.0 / double(nowMs - log.start),
                 double(nowMs - log.start) / 1000.0);
    log.start = nowMs;
    log.frames = 1;
  }
}

}  // namespace platform
