#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "core/filehelpers.h"
#include "platform/executable_path.h"
#include "safe/safe_store.h"

namespace {

constexpr char kSafeExtension[] = ".SAFE";

}  // namespace

bool BuildSafePath(const char* userName, char* path) {
  path[0] = '\0';
  // A '/' would put the safe outside the executable's folder.
  if (userName == nullptr || std::strchr(userName, '/') != nullptr) return false;
  char exe[kSafePathCapacity];
  if (!GetExecutablePath(exe, sizeof exe)) std::snprintf(exe, sizeof exe, "/");
  // Only '/' separates directories here; ':' and '\\' are ordinary name bytes.
  size_t directoryLength = static_cast<size_t>(std::strrchr(exe, '/') - exe) + 1;
  size_t nameLength = std::strlen(userName);
  int written;
  if (directoryLength + nameLength + sizeof kSafeExtension >= kSafePathCapacity) {
    written = std::snprintf(path, kSafePathCapacity, "/%s%s", userName, kSafeExtension);
  } else {
    written = std::snprintf(path, kSafePathCapacity, "%.*s%s%s", static_cast<int>(directoryLength),
                            exe, userName, kSafeExtension);
  }
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
