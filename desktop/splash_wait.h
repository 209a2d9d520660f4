#pragma once

#include <cstdint>
#include <functional>

// The clock the splash waits on: a 32-bit millisecond tick counter that may
// wrap, and a sleep. Tests drive it by hand.
struct SplashClock {
  std::function<uint32_t()> ticks;
  std::function<void(uint32_t milliseconds)> sleep;
};

// The real clock: monotonic milliseconds truncated to 32 bits, and a real sleep.
SplashClock SystemSplashClock();

inline constexpr uint32_t kSplashPollMilliseconds = 50;

// Calls pump (which handles every waiting event) until more than seconds
// have passed, sleeping kSplashPollMilliseconds between passes. Elapsed time
// is a difference of ticks, so a counter wrap does not end or stretch it.
void WaitWhilePumping(uint32_t seconds, const SplashClock& clock, const std::function<void()>& pump);
