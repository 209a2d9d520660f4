#pragma once

#include <memory>
#include <string>

class WFileLock;

// How long a save waits for another save of the same safe to finish: each
// holds the lock for one read-check-write, well under this.
inline constexpr int kSafeLockWaitMs = 2000;

// An advisory lock on one user's safe ("<safe path>.lock" beside it, flock),
// held by each save for its read-check-write only, so that a second writer
// cannot silently drop the first one's changes. Released on destruction; the
// lock file goes with the release when no safe exists beside it.
class SafeLock {
 public:
  enum class Result {
    kAcquired,       // now held (or already held by this object)
    kHeldElsewhere,  // another open file holds it; do not change the safe
    kUnavailable,    // no lock file can be made there (e.g. read-only folder)
  };

  SafeLock();
  ~SafeLock();
  SafeLock(SafeLock&&) noexcept;
  SafeLock& operator=(SafeLock&&) noexcept;

  // Does not wait. Taking a different user's lock releases the current one first.
  Result Acquire(const char* userName);
  // Waits up to kSafeLockWaitMs while another save holds the lock.
  Result AcquireWaiting(const char* userName);
  void Release();
  bool IsHeldFor(const char* userName) const;

 private:
  std::unique_ptr<WFileLock> lock_;
  std::string userName_;
};

// Whether some other holder has the user's safe locked right now.
bool IsSafeLockedElsewhere(const char* userName);
