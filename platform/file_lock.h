#pragma once

#include <string>

// An advisory lock held on a lock file with flock(2). The lock belongs to
// this object's own open file description, so two WFileLock objects exclude
// each other even inside one process. The lock file is created (0600) when
// missing. A holder may remove it as it lets go; whoever then gets the lock
// of the removed file sees that it is no longer the one at the path and
// starts over, so no two holders ever exist.
class WFileLock {
 public:
  explicit WFileLock(std::string lockPath);
  ~WFileLock();
  WFileLock(const WFileLock&) = delete;
  WFileLock& operator=(const WFileLock&) = delete;

  // Waits until the lock is held. False when the lock file cannot be
  // opened or created; true at once when this object already holds it.
  bool Lock();
  // Like Lock, but false at once when another holder has it.
  bool TryLock();
  // Releases the lock and closes the file; nothing when not held.
  void Unlock();
  // Removes the lock file, then releases the lock; nothing when not held.
  void RemoveAndUnlock();

  bool IsLocked() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }

 private:
  bool Acquire(bool wait);

  std::string path_;
  int fd_ = -1;
};
