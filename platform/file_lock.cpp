#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

WFileLock::WFileLock(std::string lockPath) : path_(std::move(lockPath)) {}

WFileLock::~WFileLock()
{
    Unlock();
}

bool WFileLock::Lock()
{
    return Acquire(true);
}

bool WFileLock::TryLock()
{
    return Acquire(false);
}

void WFileLock::Unlock()
{
    if (fd_ < 0) return;
    // Unlock explicitly: a forked child may still share the description,
    // and closing alone would leave the lock held through its copy.
    flock(fd_, LOCK_UN);
    close(fd_);
    fd_ = -1;
}

bool WFileLock::Acquire(bool wait)
{
    if (fd_ >= 0) return true;
    if (path_.empty()) return false;
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
    fd_ = fd;
    return true;
}
