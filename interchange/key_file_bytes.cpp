#include "interchange/key_file_bytes.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Fail(const std::string& path, const std::string& reason, WipingBytes* bytes, std::string* error) {
  WipingBytes().swap(*bytes);
  *error = "key file " + path + ": " + reason;
  return false;
}

}  // namespace

bool ReadKeyFileBytes(const std::string& path, WipingBytes* bytes, std::string* error) {
  // Non-blocking so that a FIFO named by mistake cannot hang the open.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Fail(path, strerror(errno), bytes, error);
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return Fail(path, "not a regular file", bytes, error);
  }
  if (info.st_size == 0 || static_cast<uint64_t>(info.st_size) > kMaxKeyFileBytes) {
    close(fd);
    return Fail(path, info.st_size == 0 ? "the file is empty" : "larger than a key file can be (16 MiB)", bytes, error);
  }
  // Sized once, so the key is never copied by growth; a file that grows
  // while read is cut at the size it had.
  bytes->assign(static_cast<size_t>(info.st_size), 0);
  size_t done = 0;
  int read_errno = 0;
  while (done < bytes->size()) {
    ssize_t n = read(fd, bytes->data() + done, bytes->size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) read_errno = errno;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  if (done == bytes->size()) return true;
  return Fail(path, read_errno != 0 ? strerror(read_errno) : "the file shrank while it was read", bytes, error);
}
