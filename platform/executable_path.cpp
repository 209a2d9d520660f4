#include "platform/executable_path.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <string>

namespace {

// What the kernel appends to the link once the running binary is removed
// or replaced on disk (as an update does).
constexpr char kDeletedSuffix[] = " (deleted)";

bool IsReplaced(const char* link, size_t length) {
  constexpr size_t suffix = sizeof kDeletedSuffix - 1;
  struct stat running;
  return length > suffix && std::memcmp(link + length - suffix, kDeletedSuffix, suffix) == 0 &&
         stat("/proc/self/exe", &running) == 0 && running.st_nlink == 0;
}

std::optional<std::string>& Override() {
  static std::optional<std::string> path;
  return path;
}

}  // namespace

bool GetExecutablePath(char* buffer, size_t capacity) {
  if (buffer == nullptr || capacity == 0) return false;
  if (const auto& path = Override()) {
    if (path->empty() || path->size() >= capacity) return false;
    std::memcpy(buffer, path->c_str(), path->size() + 1);
    return true;
  }
  char link[PATH_MAX + sizeof kDeletedSuffix];
  ssize_t n = readlink("/proc/self/exe", link, sizeof link);
  // readlink does not terminate; a result filling the buffer may be cut short.
  if (n <= 0 || static_cast<size_t>(n) >= sizeof link) return false;
  size_t length = static_cast<size_t>(n);
  if (IsReplaced(link, length)) length -= sizeof kDeletedSuffix - 1;
  if (length >= capacity) return false;
  std::memcpy(buffer, link, length);
  buffer[length] = '\0';
  return true;
}

void OverrideExecutablePath(const char* path) {
  if (path == nullptr) {
    Override().reset();
  } else {
    Override() = path;
  }
}
