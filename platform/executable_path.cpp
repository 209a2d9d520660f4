#include "platform/executable_path.h"

#include <unistd.h>

#include <cstring>
#include <optional>
#include <string>

namespace {

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
  ssize_t n = readlink("/proc/self/exe", buffer, capacity);
  // readlink does not terminate; a result filling the buffer may be cut short.
  if (n <= 0 || static_cast<size_t>(n) >= capacity) return false;
  buffer[n] = '\0';
  return true;
}

void OverrideExecutablePath(const char* path) {
  if (path == nullptr) {
    Override().reset();
  } else {
    Override() = path;
  }
}
