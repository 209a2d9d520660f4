#include "app/lock_policy.h"

#include <gtest/gtest.h>

#include "tests/unit/app/fake_clock.h"

namespace {

TEST(LockPolicy, LocksAfterTheIdleTimeAndInputPutsItOff) {
  FakeClock clock;
  LockPolicy policy(clock);
  policy.SetLockAfterSeconds(2);
  policy.SetSafeOpen(true);
  clock.Advance(1999);
  EXPECT_FALSE(policy.IdleLockDue());
  policy.NoteInput();
  clock.Advance(1999);
  EXPECT_FALSE(policy.IdleLockDue());
  clock.Advance(1);
  EXPECT_TRUE(policy.IdleLockDue());
}

TEST(LockPolicy, ZeroOrAnUnreachableTimeNeverLocks) {
  for (int seconds : {0, -5, 2100000000}) {
    FakeClock clock;
    LockPolicy policy(clock);
    policy.SetLockAfterSeconds(seconds);
    policy.SetSafeOpen(true);
    for (int day = 0; day < 60; ++day) clock.Advance(24u * 3600u * 1000u);
    EXPECT_FALSE(policy.IdleLockDue()) << seconds;
  }
}

TEST(LockPolicy, DefaultsLockAfterFiveMinutesAndWithTheSession) {
  FakeClock clock;
  LockPolicy policy(clock);
  policy.SetSafeOpen(true);
  EXPECT_TRUE(policy.LocksWithSession());
  clock.Advance(299999);
  EXPECT_FALSE(policy.IdleLockDue());
  clock.Advance(1);
  EXPECT_TRUE(policy.IdleLockDue());
  policy.SetLockOnScreenLock(false);
  EXPECT_FALSE(policy.LocksWithSession());
}

// A log-in whose key derivation outlasts the idle time (a busy machine)
// must not lock again at once: the time starts when the safe opens.
TEST(LockPolicy, IdleTimeCountsOnlyWhileOpenAndFromTheOpening) {
  FakeClock clock;
  LockPolicy policy(clock);
  policy.SetLockAfterSeconds(2);
  policy.NoteInput();  // the Return of the log-in dialog
  clock.Advance(5000);
  EXPECT_FALSE(policy.IdleLockDue());
  policy.SetSafeOpen(true);
  EXPECT_FALSE(policy.IdleLockDue());
  clock.Advance(2000);
  EXPECT_TRUE(policy.IdleLockDue());
  policy.SetSafeOpen(false);
  EXPECT_FALSE(policy.IdleLockDue());
}

}  // namespace
