#include "platform/replace_file.h"

#include <sys/stat.h>

#include "core/atomic_copy.h"

bool ReplaceFileWithCopy(const char* source, const char* destination) {
  if (source == nullptr || destination == nullptr) return false;
  struct stat info;
  // Root may write anything, so the owner-write bit is tested, not access().
  if (stat(destination, &info) == 0 && (info.st_mode & S_IWUSR) == 0) return false;
  return AtomicCopyFile(source, destination);
}
