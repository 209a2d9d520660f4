#include "core/atomic_copy.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "core/held_temp_file.h"
#include "core/posixfile.h"

// The new file's name: the prefix, then mkstemp's six characters.
static constexpr char kCopyPrefix[] = ".quillbox-copy-";

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

void RemoveLeftoverCopiesBeside(const char* path) {
  if (path == nullptr || *path == '\0') return;
  RemoveUnheldTempFiles(DirectoryOf(path), kCopyPrefix);
}

bool AtomicCopyFile(const char* source, const char* destination) {
  if (destination == nullptr || *destination == '\0') return false;
  uint64_t size = 0;
  const int in = OpenRegularFileForReading(source, size);
  if (in < 0) return false;
  RemoveLeftoverCopiesBeside(destination);
  const std::string directory = DirectoryOf(destination);
  std::string temporary;
  // Held for as long as it exists, so that a sweep by another replacement
  // never takes it for a leftover.
  const int out = CreateHeldTempFile(directory, kCopyPrefix, temporary);
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
