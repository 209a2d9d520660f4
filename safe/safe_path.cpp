#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "core/filehelpers.h"
#include "safe/safe_folder.h"
#include "safe/safe_store.h"

namespace {

constexpr char kSafeExtension[] = ".SAFE";

}  // namespace

bool BuildSafePath(const char* userName, char* path) {
  path[0] = '\0';
  // A '/' would put the safe outside the safe folder.
  if (userName == nullptr || std::strchr(userName, '/') != nullptr) return false;
  SafeFolder folder = GetSafeFolder();
  if (folder.path.empty()) return false;
  size_t nameLength = std::strlen(userName);
  const char* directory = folder.path.c_str();
  if (folder.path.size() + nameLength + sizeof kSafeExtension >= kSafePathCapacity) {
    // The designed fallback; a folder the user chose, or the data folder, means that folder.
    if (folder.reason != SafeFolderReason::kBesideExecutable) return false;
    directory = "/";
  }
  int written = std::snprintf(path, kSafePathCapacity, "%s%s%s", directory, userName, kSafeExtension);
  // A cut-off path would name some other file.
  if (written < 0 || static_cast<size_t>(written) >= kSafePathCapacity) {
    path[0] = '\0';
    return false;
  }
  return true;
}

bool SafeExists(const char* userName) {
  char path[kSafePathCapacity];
  return BuildSafePath(userName, path) && FileExists(path);
}

void DeleteSafe(const char* userName) {
  char path[kSafePathCapacity];
  if (BuildSafePath(userName, path)) unlink(path);
}
