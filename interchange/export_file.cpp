#include "interchange/export_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/posixfile.h"

namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Puts the finished file in place; without replace an existing file wins.
bool Publish(const std::string& temporary, const std::string& path, bool replace, int* error) {
  if (replace) {
    if (rename(temporary.c_str(), path.c_str()) == 0) return true;
  } else if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  } else if (errno == EINVAL || errno == ENOSYS) {
    // A file system without RENAME_NOREPLACE: a hard link also refuses to
    // replace what is there.
    if (link(temporary.c_str(), path.c_str()) == 0) {
      unlink(temporary.c_str());
      return true;
    }
  }
  *error = errno;
  return false;
}

}  // namespace

ExportFileResult WriteExportFile(const std::string& path, std::string_view bytes, bool replace, std::string* message) {
  struct stat info;
  if (lstat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      *message = path + ": is a folder";
      return ExportFileResult::kFailed;
    }
    if (!replace) return ExportFileResult::kExists;
  }
  std::string folder = FolderOf(path);
  std::string temporary = folder + "/.quillbox-export-XXXXXX";
  int fd = mkostemp(temporary.data(), O_CLOEXEC);  // mode 0600 from the start
  if (fd < 0) {
    *message = folder + ": " + strerror(errno);
    return ExportFileResult::kFailed;
  }
  bool written = WriteFully(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
  int error = errno;
  written = CloseChecked(fd) && written;
  if (written && Publish(temporary, path, replace, &error)) {
    int folder_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_fd >= 0) {
      fsync(folder_fd);
      close(folder_fd);
    }
    return ExportFileResult::kWritten;
  }
  unlink(temporary.c_str());
  if (error == EEXIST) return ExportFileResult::kExists;
  *message = path + ": " + strerror(error);
  return ExportFileResult::kFailed;
}
