#include "platform/private_temp_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string TempRoot() {
  const char* root = std::getenv("TMPDIR");
  std::string path = (root != nullptr && root[0] != '\0') ? root : "/tmp";
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// lstat, not stat: a symlink planted by another user must never be followed.
bool IsPrivateDirectory(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
         (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

}  // namespace

bool GetPrivateTempDir(char* buffer, size_t capacity) {
  if (buffer == nullptr || capacity == 0) return false;
  std::string path = TempRoot();
  if (path != "/") path += '/';
  path += "quillbox-" + std::to_string(geteuid());
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  if (!IsPrivateDirectory(path)) return false;
  path += '/';
  if (path.size() >= capacity) return false;
  std::snprintf(buffer, capacity, "%s", path.c_str());
  return true;
}
