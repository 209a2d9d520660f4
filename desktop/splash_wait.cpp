#include "desktop/splash_wait.h"

#include <chrono>
#include <thread>

#include "platform/tick_count.h"

SplashClock SystemSplashClock() {
  return {
      [] { return TickCount(); },
      [](uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); },
  };
}

void WaitWhilePumping(uint32_t seconds, const SplashClock& clock, const std::function<void()>& pump) {
  // A 32-bit tick difference cannot measure longer waits than this.
  const uint32_t limit = seconds < UINT32_MAX / 1000 ? seconds * 1000 : UINT32_MAX - 1;
  const uint32_t start = clock.ticks();
  for (;;) {
    pump();
    if (static_cast<uint32_t>(clock.ticks() - start) > limit) return;
    clock.sleep(kSplashPollMilliseconds);
  }
}
