#include "core/whole_file.h"

#include <sys/stat.h>

#include <cerrno>

FileReadResult OpenForReading(const char* path, const FileReadOptions& options, int* fd, uint64_t* size) {
  *fd = -1;
  *size = 0;
  if (path == nullptr || *path == '\0') return {FileReadStatus::kCannotOpen, ENOENT};
  const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (options.followLinks ? 0 : O_NOFOLLOW);
  int opened;
  do {
    opened = openat(options.folder, path, flags);
  } while (opened < 0 && errno == EINTR);
  if (opened < 0) return {FileReadStatus::kCannotOpen, errno};
  const FileReadResult result = CheckForReading(opened, options, size);
  if (!result) {
    close(opened);
    return result;
  }
  *fd = opened;
  return result;
}

FileReadResult CheckForReading(int fd, const FileReadOptions& options, uint64_t* size) {
  *size = 0;
  struct stat info;
  if (fstat(fd, &info) != 0) return {FileReadStatus::kReadFailed, errno};
  if (S_ISREG(info.st_mode)) {
    *size = static_cast<uint64_t>(info.st_size);
    return {};
  }
  if (!options.streams || S_ISDIR(info.st_mode)) return {FileReadStatus::kNotAFile};
  // Reads of a stream wait for data rather than fail with EAGAIN.
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return {};
}

ssize_t ReadSome(int fd, void* data, size_t length) {
  ssize_t got;
  do {
    got = read(fd, data, length);
  } while (got < 0 && errno == EINTR);
  return got;
}
