#include "safe/safe_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <utility>

#include "platform/file_lock.h"
#include "safe/safe_store.h"

namespace {

bool BuildLockPath(const char* userName, std::string& lockPath) {
  char path[kSafePathCapacity];
  if (!BuildSafePath(userName, path)) return false;
  lockPath = std::string(path) + ".lock";
  return true;
}

// Tells a lock held by someone else from a lock file that cannot be opened.
bool CanOpenLockFile(const std::string& lockPath) {
  int fd = open(lockPath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  close(fd);
  return true;
}

}  // namespace

SafeLock::SafeLock() = default;

SafeLock::~SafeLock() { Release(); }

SafeLock::SafeLock(SafeLock&&) noexcept = default;

SafeLock& SafeLock::operator=(SafeLock&& other) noexcept {
  if (this != &other) {
    Release();
    lock_ = std::move(other.lock_);
    userName_ = std::move(other.userName_);
  }
  return *this;
}

SafeLock::Result SafeLock::Acquire(const char* userName) {
  if (IsHeldFor(userName)) return Result::kAcquired;
  Release();
  std::string lockPath;
  if (!BuildLockPath(userName, lockPath)) return Result::kUnavailable;
  auto lock = std::make_unique<WFileLock>(lockPath);
  if (!lock->TryLock()) {
    return CanOpenLockFile(lockPath) ? Result::kHeldElsewhere : Result::kUnavailable;
  }
  lock_ = std::move(lock);
  userName_ = userName;
  return Result::kAcquired;
}

SafeLock::Result SafeLock::AcquireWaiting(const char* userName) {
  constexpr auto kPause = std::chrono::milliseconds(20);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSafeLockWaitMs);
  Result result = Acquire(userName);
  while (result == Result::kHeldElsewhere && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kPause);
    result = Acquire(userName);
  }
  return result;
}

void SafeLock::Release() {
  // A lock file beside no safe (an attempt for a user who has none) would
  // only pile up. Removed while still held, so no other holder can race it.
  if (lock_ != nullptr && !SafeExists(userName_.c_str())) lock_->RemoveAndUnlock();
  lock_.reset();
  userName_.clear();
}

bool SafeLock::IsHeldFor(const char* userName) const {
  return lock_ != nullptr && userName != nullptr && userName_ == userName;
}

bool IsSafeLockedElsewhere(const char* userName) {
  SafeLock probe;
  return probe.Acquire(userName) == SafeLock::Result::kHeldElsewhere;
}
