#include "safe/safe_lock.h"

#include <fcntl.h>
#include <unistd.h>

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

SafeLock::~SafeLock() = default;

SafeLock::SafeLock(SafeLock&&) noexcept = default;

SafeLock& SafeLock::operator=(SafeLock&&) noexcept = default;

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

void SafeLock::Release() {
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
