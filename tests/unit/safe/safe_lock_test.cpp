#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "safe/safe_store.h"

#include "safe/safe_lock.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

TEST(SafeLock, ExcludesOtherHoldersUntilReleased) {
  SafeTestDir dir;
  SafeLock mine;
  EXPECT_FALSE(IsSafeLockedElsewhere("alice"));
  ASSERT_EQ(mine.Acquire("alice"), SafeLock::Result::kAcquired);
  EXPECT_TRUE(mine.IsHeldFor("alice"));
  EXPECT_EQ(mine.Acquire("alice"), SafeLock::Result::kAcquired);  // again: still ours

  SafeLock other;
  EXPECT_EQ(other.Acquire("alice"), SafeLock::Result::kHeldElsewhere);
  EXPECT_TRUE(IsSafeLockedElsewhere("alice"));
  EXPECT_EQ(other.Acquire("bob"), SafeLock::Result::kAcquired);

  // Taking another user's lock lets the first one go.
  EXPECT_EQ(mine.Acquire("carol"), SafeLock::Result::kAcquired);
  EXPECT_FALSE(mine.IsHeldFor("alice"));
  EXPECT_FALSE(IsSafeLockedElsewhere("alice"));

  mine.Release();
  EXPECT_FALSE(IsSafeLockedElsewhere("carol"));
}

TEST(SafeLock, UnusableLockFileIsUnavailableNotBusy) {
  SafeTestDir dir;
  // Even root cannot open a directory for writing.
  mkdir(dir.LockPath("alice").c_str(), 0700);
  EXPECT_EQ(SafeLock().Acquire("alice"), SafeLock::Result::kUnavailable);
  EXPECT_FALSE(IsSafeLockedElsewhere("alice"));
  EXPECT_EQ(SafeLock().Acquire("../alice"), SafeLock::Result::kUnavailable);
}

// A lock file beside no safe (a log-in attempt for a user who has none, a
// probe) goes with its release; beside a safe it stays.
TEST(SafeLock, LockFileOfAMissingSafeGoesOnRelease) {
  SafeTestDir dir;
  {
    SafeLock ghost;
    ASSERT_EQ(ghost.Acquire("ghost"), SafeLock::Result::kAcquired);
    EXPECT_TRUE(IsSafeLockedElsewhere("ghost"));
    EXPECT_EQ(access(dir.LockPath("ghost").c_str(), F_OK), 0);
  }
  EXPECT_FALSE(IsSafeLockedElsewhere("ghost"));
  SafeLock moved;
  ASSERT_EQ(moved.Acquire("ghost"), SafeLock::Result::kAcquired);
  moved = SafeLock();
  EXPECT_EQ(dir.Listing(), "tmp");

  EntryList entries;
  ASSERT_TRUE(SaveSafe("alice", "pw", entries));
  SafeLock alice;
  ASSERT_EQ(alice.Acquire("alice"), SafeLock::Result::kAcquired);
  alice.Release();
  EXPECT_EQ(dir.Listing(), "alice.SAFE alice.SAFE.lock tmp");
}

}  // namespace
