#include "app/gui/safe_file_move.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "safe/conflict_copies.h"
#include "safe/safe_folder.h"
#include "safe/safe_store.h"

namespace {

constexpr char kSafeExtension[] = ".SAFE";

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// Copies from into a new temporary file beside to and returns its path, or
// an empty one with errno set.
std::string CopyBeside(const std::string& from, const std::string& to) {
  std::string temporary = to + ".moving-XXXXXX";
  const int out = mkstemp(temporary.data());
  if (out < 0) return {};
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  bool copied = in >= 0 && fchmod(out, 0600) == 0;
  char buffer[65536];
  while (copied) {
    const ssize_t got = read(in, buffer, sizeof buffer);
    if (got == 0) break;
    copied = got > 0 && write(out, buffer, static_cast<size_t>(got)) == got;
  }
  copied = copied && fsync(out) == 0;
  const int saved = errno;
  if (in >= 0) close(in);
  close(out);
  if (copied) return temporary;
  unlink(temporary.c_str());
  errno = saved;
  return {};
}

// Into place without replacing anything: a rename that refuses an existing
// name, or a hard link where the file system cannot refuse in a rename.
bool PlaceWithoutReplacing(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL) return false;
  return link(from.c_str(), to.c_str()) == 0 && unlink(from.c_str()) == 0;
}

bool MoveOne(const std::string& from, const std::string& to) {
  if (PlaceWithoutReplacing(from, to)) return true;
  if (errno != EXDEV) return false;
  const std::string temporary = CopyBeside(from, to);
  if (temporary.empty()) return false;
  if (!PlaceWithoutReplacing(temporary, to)) {
    const int saved = errno;
    unlink(temporary.c_str());
    errno = saved;
    return false;
  }
  return unlink(from.c_str()) == 0;
}

}  // namespace

std::vector<std::string> SafeFilesOfUser(const char* userName) {
  char path[kSafePathCapacity];
  if (userName == nullptr || userName[0] == '\0' || !SafeExists(userName) || !BuildSafePath(userName, path)) return {};
  std::vector<std::string> files{path};
  const std::string folder = GetSafeFolder().path;
  for (const std::string& copy : FindConflictCopies(userName)) files.push_back(folder + copy + kSafeExtension);
  return files;
}

bool MoveSafeFiles(const std::vector<std::string>& files, const std::string& folder, std::string& reason) {
  for (const std::string& from : files) {
    const std::string to = folder + (folder.ends_with('/') ? "" : "/") + BaseName(from);
    if (!MoveOne(from, to)) {
      reason = BaseName(from) + ": " + strerror(errno);
      return false;
    }
  }
  return true;
}
