#include "platform/hive_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "core/posixfile.h"
#include "core/whole_file.h"
#include "platform/file_lock.h"
#include "platform/hive_key.h"
#include "platform/user_folders.h"

namespace {

long StatusFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return kHiveFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
      return kHivePathNotFound;
    default:
      return kHiveAccessDenied;
  }
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Replacements are written to "<folder>/.<hive name>-XXXXXX", and only by
// the holder of the hive's lock.
std::string TempPrefix(const std::string& path) {
  std::string prefix = ".";
  prefix.append(path, path.rfind('/') + 1);
  prefix += '-';
  return prefix;
}

// Under the lock no other writer of this hive is at work, so a file with
// its temporary name is what a crashed writer left behind.
void RemoveLeftovers(const std::string& path) {
  std::string folder = FolderOf(path);
  std::string prefix = TempPrefix(path);
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name.size() == prefix.size() + 6 && name.starts_with(prefix)) {
      unlink((folder + "/").append(name).c_str());
    }
  }
  closedir(dir);
}

long ReplaceAtomically(const std::string& path, const std::string& text) {
  if (text.size() > kMaxHiveFileSize) return kHiveInvalidData;
  struct stat old;
  mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0600;
  std::string folder = FolderOf(path);
  RemoveLeftovers(path);
  std::string temp = folder + "/" + TempPrefix(path) + "XXXXXX";
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return StatusFromErrno(errno);
  bool written = fchmod(fd, mode) == 0 && WriteFully(fd, text.data(), text.size()) && fsync(fd) == 0;
  written = close(fd) == 0 && written;
  if (!written || rename(temp.c_str(), path.c_str()) != 0) {
    long status = StatusFromErrno(errno);
    unlink(temp.c_str());
    return status;
  }
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return kHiveSuccess;
}

}  // namespace

long ReadHiveText(const std::string& path, std::string* text) {
  const FileReadResult read = ReadWholeFile(path.c_str(), {.maxBytes = kMaxHiveFileSize}, text);
  switch (read.status) {
    case FileReadStatus::kRead:
      return kHiveSuccess;
    case FileReadStatus::kCannotOpen:
      return read.error == ENOENT ? kHiveSuccess : StatusFromErrno(read.error);
    case FileReadStatus::kNotAFile:
      return kHiveAccessDenied;
    case FileReadStatus::kTooLarge:
      return kHiveInvalidData;
    case FileReadStatus::kOutOfMemory:
      return StatusFromErrno(ENOMEM);
    case FileReadStatus::kReadFailed:
      break;
  }
  return StatusFromErrno(read.error);
}

long LoadHiveFile(const std::string& path, WHiveDocument* document) {
  std::string text;
  long status = ReadHiveText(path, &text);
  document->Parse(text);
  return status;
}

long CheckHiveWritable(const std::string& path) {
  if (path.empty()) return kHivePathNotFound;
  std::string folder = FolderOf(path);
  if (access(folder.c_str(), W_OK | X_OK) != 0) return StatusFromErrno(errno);
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return errno == ENOENT ? kHiveSuccess : StatusFromErrno(errno);
  if (!S_ISREG(info.st_mode) || (info.st_mode & S_IWUSR) == 0) return kHiveAccessDenied;
  return access(path.c_str(), W_OK) == 0 ? kHiveSuccess : StatusFromErrno(errno);
}

long PrepareHiveForWriting(const std::string& path) {
  if (path.empty() || !MakeFolders(FolderOf(path))) return kHivePathNotFound;
  return CheckHiveWritable(path);
}

long UpdateHiveFile(const std::string& path, const std::function<bool(WHiveDocument&)>& edit) {
  long status = PrepareHiveForWriting(path);
  if (status != kHiveSuccess) return status;
  WFileLock lock(path + ".lock");
  if (!lock.Lock()) return kHiveAccessDenied;
  WHiveDocument document;
  status = LoadHiveFile(path, &document);
  if (status != kHiveSuccess) return status;
  if (!edit(document)) return kHiveSuccess;
  return ReplaceAtomically(path, document.Format());
}
