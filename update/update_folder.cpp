#include "update/update_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

#include "core/filehelpers.h"
#include "core/posixfile.h"
#include "platform/private_temp_dir.h"

namespace {

constexpr int kNameAttempts = 100;

// A new file beside name, for writing; -1 on failure.
int CreateSibling(int folder, const char* name, std::string& sibling) {
  std::random_device random;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    sibling = std::string(name) + ".part" + std::to_string(random());
    const int fd = openat(folder, sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

UpdateFolder::UpdateFolder() : fd_(OpenPrivateTempDir()) {}

UpdateFolder::~UpdateFolder() {
  if (fd_ >= 0) close(fd_);
}

bool UpdateFolder::WriteFile(const char* name, const cpBuffer& bytes) const {
  if (fd_ < 0) return false;
  std::string sibling;
  const int fd = CreateSibling(fd_, name, sibling);
  if (fd < 0) return false;
  bool written = WriteFully(fd, bytes.GetData(), bytes.GetSize()) && fsync(fd) == 0;
  written = CloseChecked(fd) && written;
  if (!written || renameat(fd_, sibling.c_str(), fd_, name) != 0) {
    unlinkat(fd_, sibling.c_str(), 0);
    return false;
  }
  fsync(fd_);
  return true;
}

int UpdateFolder::OpenForReading(const char* name) const {
  if (fd_ < 0) return -1;
  int fd;
  do {
    fd = openat(fd_, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

bool UpdateFolder::ReadFile(const char* name, cpBuffer& out) const {
  const int fd = OpenForReading(name);
  if (fd < 0) return false;
  struct stat info;
  const bool read = fstat(fd, &info) == 0 && static_cast<uint64_t>(info.st_size) <= kMaxWholeFileSize &&
                    out.SetSize(static_cast<uint32_t>(info.st_size)) && ReadFully(fd, out.GetData(), out.GetSize());
  close(fd);
  return read;
}
