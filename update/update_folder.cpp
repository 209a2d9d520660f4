#include "update/update_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "core/filehelpers.h"
#include "core/posixfile.h"
#include "core/whole_file.h"
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

// A file of the folder, never through a link.
FileReadOptions Inside(int folder) { return {.maxBytes = kMaxWholeFileSize, .followLinks = false, .folder = folder}; }

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
  int fd = -1;
  uint64_t size = 0;
  return fd_ >= 0 && ::OpenForReading(name, Inside(fd_), &fd, &size) ? fd : -1;
}

bool UpdateFolder::ReadFile(const char* name, cpBuffer& out) const {
  std::vector<uint8_t> bytes;
  if (fd_ < 0 || !ReadWholeFile(name, Inside(fd_), &bytes) || !out.SetSize(static_cast<uint32_t>(bytes.size()))) {
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), out.GetData());
  return true;
}
