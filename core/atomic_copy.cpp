#include "core/atomic_copy.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/posixfile.h"

// The new file's name: the prefix, then mkstemp's six characters.
static constexpr char kCopyPrefix[] = ".quillbox-copy-";
static constexpr size_t kCopyNameLength = sizeof kCopyPrefix - 1 + 6;

static std::string DirectoryOf(const char* path) {
  const std::string text(path);
  const size_t slash = text.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return text.substr(0, slash);
}

static bool CopyContents(int from, int to) {
  unsigned char chunk[64 * 1024];
  for (;;) {
    const ssize_t got = read(from, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!WriteFully(to, chunk, static_cast<size_t>(got))) return false;
  }
}

static int OpenDirectory(const std::string& directory) {
  return open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

static bool SyncDirectory(int fd) {
  // Some file systems cannot sync a directory at all; that is no error.
  return fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
}

// Writes the source's bytes and mode into the open new file and flushes it.
static bool FillNewFile(int source, int target) {
  struct stat info;
  if (fstat(source, &info) != 0 || !CopyContents(source, target)) return false;
  return fchmod(target, info.st_mode & 0777) == 0 && fsync(target) == 0;
}

static bool LockFile(int fd, int operation) {
  int result;
  do {
    result = flock(fd, operation);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

// Whether name in the folder is still the file open as fd.
static bool IsStillNamed(int folder, const char* name, int fd) {
  struct stat open;
  struct stat named;
  return fstat(fd, &open) == 0 && fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

static bool IsCopyName(const char* name) {
  return strlen(name) == kCopyNameLength && strncmp(name, kCopyPrefix, sizeof kCopyPrefix - 1) == 0;
}

// The new file, locked for as long as it exists, so that a sweep by another
// replacement never takes it for a leftover. A sweep that removed it before
// the lock was taken costs a fresh name.
static int CreateLockedCopy(const std::string& directory, std::string& path) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    path = directory + "/" + kCopyPrefix + "XXXXXX";
    const int fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    // Where flock is not supported no sweep can take the lock either.
    if (!LockFile(fd, LOCK_EX)) return fd;
    const int folder = OpenDirectory(directory);
    const bool kept = folder >= 0 && IsStillNamed(folder, path.c_str() + directory.size() + 1, fd);
    if (folder >= 0) close(folder);
    if (kept) return fd;
    close(fd);
  }
  return -1;
}

void RemoveLeftoverCopiesBeside(const char* path) {
  if (path == nullptr || *path == '\0') return;
  DIR* listing = opendir(DirectoryOf(path).c_str());
  if (listing == nullptr) return;
  const int directory = dirfd(listing);
  while (const dirent* entry = readdir(listing)) {
    if (!IsCopyName(entry->d_name)) continue;
    const int fd = openat(directory, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info;
    // Held while the lock is ours: its writer is gone and no new one can take it.
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && LockFile(fd, LOCK_EX | LOCK_NB) &&
        IsStillNamed(directory, entry->d_name, fd))
      unlinkat(directory, entry->d_name, 0);
    close(fd);
  }
  closedir(listing);
}

bool AtomicCopyFile(const char* source, const char* destination) {
  if (destination == nullptr || *destination == '\0') return false;
  uint64_t size = 0;
  const int in = OpenRegularFileForReading(source, size);
  if (in < 0) return false;
  RemoveLeftoverCopiesBeside(destination);
  const std::string directory = DirectoryOf(destination);
  std::string temporary;
  const int out = CreateLockedCopy(directory, temporary);
  if (out < 0) {
    close(in);
    return false;
  }
  const bool ready = FillNewFile(in, out);
  close(in);
  const int directoryFd = ready ? OpenDirectory(directory) : -1;
  const bool renamed = directoryFd >= 0 && rename(temporary.c_str(), destination) == 0;
  if (!renamed) unlink(temporary.c_str());
  // Closing releases the lock, so only once the new file is renamed or
  // gone; its fsync has already reported any lost write.
  close(out);
  if (!renamed) {
    if (directoryFd >= 0) close(directoryFd);
    return false;
  }
  const bool synced = SyncDirectory(directoryFd);
  close(directoryFd);
  return synced;
}
