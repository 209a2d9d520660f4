#include "core/filehelpers.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/atomic_copy.h"
#include "core/heapstring.h"
#include "core/posixfile.h"

bool FileExists(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  // Opening a directory read-only succeeds here, but it is no file.
  struct stat info;
  const bool isFile = fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
  close(fd);
  return isFile;
}

static bool IsReadOnly(const struct stat& info) {
  // The read-only attribute is the owner-write bit, checked explicitly so
  // that it holds for root as well.
  return (info.st_mode & S_IWUSR) == 0;
}

// Opened the way reads open: a FIFO never blocks, a link is never followed,
// and only a regular file that is not read-only is truncated and written.
static bool WriteWholeFile(const char* path, const void* data, size_t length) {
  int fd;
  do {
    fd = open(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || IsReadOnly(info)) {
    close(fd);
    return false;
  }
  const bool written = ftruncate(fd, 0) == 0 && WriteFully(fd, data, length);
  if (CloseChecked(fd) && written) return true;
  unlink(path);
  return false;
}

bool WriteBytesToFile(const char* path, const void* data, size_t length, bool throughTemporary) {
  if (path == nullptr || *path == '\0' || (data == nullptr && length > 0)) return false;
  if (!throughTemporary) return WriteWholeFile(path, data, length);
  char* temporary = FormatString("%s.tmp", path);
  if (temporary == nullptr) return false;
  const bool replaced = WriteWholeFile(temporary, data, length) && CopyOverFile(temporary, path);
  FreeString(temporary);
  return replaced;
}

static void ClearReadOnly(const char* path) {
  struct stat info;
  if (stat(path, &info) == 0 && IsReadOnly(info)) chmod(path, (info.st_mode & 07777) | S_IWUSR);
}

static bool IsSameFile(const char* first, const char* second) {
  struct stat a;
  struct stat b;
  return stat(first, &a) == 0 && stat(second, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool CopyOverFile(const char* source, const char* destination) {
  if (source == nullptr || destination == nullptr) return false;
  // Copying a file onto itself and then removing the "source" would lose it.
  if (IsSameFile(source, destination)) return true;
  ClearReadOnly(destination);
  const bool copied = AtomicCopyFile(source, destination);
  ClearReadOnly(source);
  unlink(source);
  return copied;
}

const char* FileNamePart(const char* path) {
  if (path == nullptr) return nullptr;
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  }
  return name;
}
