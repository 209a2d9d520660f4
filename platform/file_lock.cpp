#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

WFileLock::WFileLock(std::string lockPath) : path_(std::move(lockPath)) {}

WFileLock::~WFileLock() { Unlock(); }

bool WFileLock::Lock() { return Acquire(true); }

bool WFileLock::TryLock() { return Acquire(false); }

void WFileLock::Unlock() {
  if (fd_ < 0) return;
  // Unlock explicitly: a forked child may still share the description,
  // and closing alone would leave the lock held through its copy.
  flock(fd_, LOCK_UN);
  close(fd_);
  fd_ = -1;
}

void WFileLock::RemoveAndUnlock() {
  if (fd_ < 0) return;
  unlink(path_.c_str());
  Unlock();
}

// Whether path still names the file open as fd: a holder may have removed
// it while this one waited.
static bool IsStillAtPath(int fd, const std::string& path) {
  struct stat open;
  struct stat named;
  return fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

bool WFileLock::Acquire(bool wait) {
  if (fd_ >= 0) return true;
  if (path_.empty()) return false;
  for (;;) {
    int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    int rc;
    do {
      rc = flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      close(fd);
      return false;
    }
    if (IsStillAtPath(fd, path_)) {
      fd_ = fd;
      return true;
    }
    close(fd);
  }
}
