#pragma once

#include <string>

// An advisory lock held on a lock file with flock(2). The lock belongs to
// this object's own open file description, so two WFileLock objects exclude
// each other even inside one process. The lock file is created (0600) when
// missing and is never removed: removing it would let a waiter lock an
// unlinked file while a newcomer locks a fresh one.
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

    bool IsLocked() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

private:
    bool Acquire(bool wait);

    std::string path_;
    int fd_ = -1;
};
