#include "core/held_temp_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// mkstemp's six characters after the prefix.
constexpr size_t kUniqueLength = 6;

bool LockFile(int fd, int operation) {
  int result;
  do {
    result = flock(fd, operation);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

// Whether name in the folder is still the file open as fd.
bool IsStillNamed(int folder, const char* name, int fd) {
  struct stat open;
  struct stat named;
  return fstat(fd, &open) == 0 && fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool IsTempName(const char* name, const char* prefix) {
  const size_t length = strlen(prefix);
  return strlen(name) == length + kUniqueLength && strncmp(name, prefix, length) == 0;
}

}  // namespace

// A sweep that removed the new file before the lock was taken costs a
// fresh name.
int CreateHeldTempFile(const std::string& directory, const char* prefix, std::string& path) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    path = directory + "/" + prefix + "XXXXXX";
    const int fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    // Where flock is not supported no sweep can take the lock either.
    if (!LockFile(fd, LOCK_EX)) return fd;
    const int folder = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool kept = folder >= 0 && IsStillNamed(folder, path.c_str() + directory.size() + 1, fd);
    if (folder >= 0) close(folder);
    if (kept) return fd;
    close(fd);
  }
  return -1;
}

void RemoveUnheldTempFiles(const std::string& directory, const char* prefix) {
  DIR* listing = opendir(directory.c_str());
  if (listing == nullptr) return;
  const int folder = dirfd(listing);
  while (const dirent* entry = readdir(listing)) {
    if (!IsTempName(entry->d_name, prefix)) continue;
    const int fd = openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info;
    // Held while the lock is ours: its writer is gone and no new one can take it.
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && LockFile(fd, LOCK_EX | LOCK_NB) &&
        IsStillNamed(folder, entry->d_name, fd))
      unlinkat(folder, entry->d_name, 0);
    close(fd);
  }
  closedir(listing);
}
