#include "secret_service/process_executable.h"

#include <unistd.h>

#include <array>

std::string ProcessExecutable(pid_t pid) {
  if (pid <= 0) return {};
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  std::array<char, 4096> target;
  const ssize_t length = readlink(link.c_str(), target.data(), target.size());
  if (length <= 0 || static_cast<size_t>(length) >= target.size()) return {};
  std::string path(target.data(), static_cast<size_t>(length));
  // A program replaced on disk since it started (an upgrade) is still that program.
  constexpr std::string_view kDeleted = " (deleted)";
  if (path.ends_with(kDeleted)) path.resize(path.size() - kDeleted.size());
  return path;
}
