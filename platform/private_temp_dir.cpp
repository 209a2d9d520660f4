#include "platform/private_temp_dir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/held_temp_file.h"

namespace {

std::string TempRoot() {
  const char* root = std::getenv("TMPDIR");
  std::string path = (root != nullptr && root[0] != '\0') ? root : "/tmp";
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsPrivate(const struct stat& info) {
  return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// lstat, not stat: a symlink planted by another user must never be followed.
bool IsPrivateDirectory(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && IsPrivate(info);
}

// The directory's path, created 0700 when it is missing; empty on failure.
std::string MakePrivateTempDir() {
  std::string path = TempRoot();
  if (path != "/") path += '/';
  path += "quillbox-" + std::to_string(geteuid());
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return path;
}

}  // namespace

int OpenPrivateTempDir() {
  const std::string path = MakePrivateTempDir();
  if (path.empty()) return -1;
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info;
  if (fstat(fd, &info) != 0 || !IsPrivate(info)) {
    close(fd);
    return -1;
  }
  return fd;
}

bool GetPrivateTempDir(char* buffer, size_t capacity) {
  if (buffer == nullptr || capacity == 0) return false;
  std::string path = MakePrivateTempDir();
  if (path.empty()) return false;
  if (!IsPrivateDirectory(path)) return false;
  path += '/';
  if (path.size() >= capacity) return false;
  std::snprintf(buffer, capacity, "%s", path.c_str());
  return true;
}

void RemoveUnheldPrivateTempFiles(const char* prefix) {
  std::string path = MakePrivateTempDir();
  if (!path.empty() && IsPrivateDirectory(path)) RemoveUnheldTempFiles(path, prefix);
}
