#include "core/posixfile.h"

#include <unistd.h>

#include <cerrno>

#include "core/whole_file.h"

int OpenRegularFileForReading(const char* path, uint64_t& size) {
  int fd = -1;
  return OpenForReading(path, {.maxBytes = SIZE_MAX}, &fd, &size) ? fd : -1;
}

bool ReadFully(int fd, void* data, size_t length) {
  auto* bytes = static_cast<unsigned char*>(data);
  while (length > 0) {
    const ssize_t got = read(fd, bytes, length);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    length -= static_cast<size_t>(got);
  }
  return true;
}

bool WriteFully(int fd, const void* data, size_t length) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (length > 0) {
    const ssize_t put = write(fd, bytes, length);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    length -= static_cast<size_t>(put);
  }
  return true;
}

bool CloseChecked(int fd) {
  // Linux releases the descriptor even when close reports EINTR; retrying
  // could close someone else's.
  return close(fd) == 0 || errno == EINTR;
}
