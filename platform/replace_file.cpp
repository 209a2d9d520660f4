#include "platform/replace_file.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "core/atomic_copy.h"

namespace {

// The file a replacement changes: the final target of a link, so that a
// safe kept elsewhere through a link stays one file. False for a link that
// leads nowhere or round in a loop.
bool ResolveDestination(const char* destination, std::string& target) {
  struct stat info;
  if (lstat(destination, &info) != 0 || !S_ISLNK(info.st_mode)) {
    target = destination;
    return true;
  }
  char resolved[PATH_MAX];
  if (realpath(destination, resolved) == nullptr) return false;
  target = resolved;
  return true;
}

}  // namespace

bool ReplaceFileWithCopy(const char* source, const char* destination) {
  std::string target;
  if (source == nullptr || destination == nullptr || !ResolveDestination(destination, target)) return false;
  struct stat info;
  // Root may write anything, so the owner-write bit is tested, not access().
  if (stat(target.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0) {
    errno = EACCES;
    return false;
  }
  return AtomicCopyFile(source, target.c_str());
}

void RemoveLeftoverCopiesOf(const char* destination) {
  std::string target;
  if (destination != nullptr && ResolveDestination(destination, target)) {
    RemoveLeftoverCopiesBeside(target.c_str());
  }
}
