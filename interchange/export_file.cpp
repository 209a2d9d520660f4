#include "interchange/export_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/held_temp_file.h"
#include "core/posixfile.h"

namespace {

// The new file's name before it is published: this prefix and six characters.
constexpr char kExportPrefix[] = ".quillbox-export-";

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
  // The new file holds every password in plain text: an export killed
  // before its rename leaves it behind, and the next export to the folder
  // removes it. One still held belongs to a running export and stays.
  RemoveUnheldTempFiles(folder, kExportPrefix);
  std::string temporary;
  int fd = CreateHeldTempFile(folder, kExportPrefix, temporary);  // mode 0600 from the start
  if (fd < 0) {
    *message = folder + ": " + strerror(errno);
    return ExportFileResult::kFailed;
  }
  bool written = WriteFully(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
  int error = errno;
  bool published = written && Publish(temporary, path, replace, &error);
  if (!published) unlink(temporary.c_str());
  // Closing lets go of the lock, so only once the file is renamed or gone;
  // its fsync has already told of any lost write.
  close(fd);
  if (published) {
    int folder_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_fd >= 0) {
      fsync(folder_fd);
      close(folder_fd);
    }
    return ExportFileResult::kWritten;
  }
  if (error == EEXIST) return ExportFileResult::kExists;
  *message = path + ": " + strerror(error);
  return ExportFileResult::kFailed;
}
