#include "desktop/splash_wait.h"

#include <gtest/gtest.h>

namespace {

// A hand-driven tick counter: only sleeping moves it on.
struct FakeClock {
  uint32_t now;
  int sleeps = 0;
  SplashClock Clock() {
    return {[this] { return now; },
            [this](uint32_t milliseconds) {
              ++sleeps;
              now += milliseconds;
            }};
  }
};

TEST(SplashWaitTest, WaitsTheGivenTimeAcrossATickCounterWrap) {
  struct Case {
    uint32_t seconds;
    uint32_t startTicks;
    int pumps;
    int sleeps;
  };
  // Passes at 0, 50, ... ms; the one that finds more than the limit gone ends it.
  const Case cases[] = {
      {4, 1000, 82, 81},           {4, 0xFFFFFFFFu - 1000, 82, 81},  // wraps after a second
      {4, 0xFFFFFFFFu, 82, 81},    {0, 5, 2, 1},                     // at most one sleep
      {0, 0xFFFFFFFFu - 10, 2, 1},
  };
  for (const Case& c : cases) {
    FakeClock clock{c.startTicks};
    int pumps = 0;
    WaitWhilePumping(c.seconds, clock.Clock(), [&] { ++pumps; });
    EXPECT_EQ(pumps, c.pumps) << c.seconds << "s from " << c.startTicks;
    EXPECT_EQ(clock.sleeps, c.sleeps) << c.seconds << "s from " << c.startTicks;
  }
}

}  // namespace
