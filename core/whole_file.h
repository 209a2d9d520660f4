#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <new>

// Reading a whole file into memory, bounded so that a wrong or hostile file
// cannot exhaust it. Opening never blocks (a FIFO named by mistake cannot
// hang it), and only a regular file is read unless streams are asked for.

enum class FileReadStatus {
  kRead,
  kCannotOpen,  // error holds errno
  kNotAFile,    // a folder, or a FIFO, device or socket where streams are not read
  kTooLarge,
  kReadFailed,  // error holds errno
  kOutOfMemory,
};

struct FileReadResult {
  FileReadStatus status = FileReadStatus::kRead;
  int error = 0;
  explicit operator bool() const { return status == FileReadStatus::kRead; }
};

struct FileReadOptions {
  size_t maxBytes;
  // Off for files in our own folders, where a link is someone else's doing.
  bool followLinks = true;
  // Pipes and devices (standard input, a shell's <(...)) are read to their end too.
  bool streams = false;
  // A relative path is looked up in this folder.
  int folder = AT_FDCWD;
};

// Opens path read-only and close-on-exec. *size is the file's size, 0 for a
// stream. The caller closes *fd.
FileReadResult OpenForReading(const char* path, const FileReadOptions& options, int* fd, uint64_t* size);

// The same checks for a descriptor opened elsewhere (standard input).
FileReadResult CheckForReading(int fd, const FileReadOptions& options, uint64_t* size);

// read() that retries after EINTR.
ssize_t ReadSome(int fd, void* data, size_t length);

namespace whole_file_detail {

// Reads into out, growing it up to one byte past maxBytes; *used counts the
// bytes read.
template <typename Bytes>
FileReadResult Fill(int fd, uint64_t sizeHint, size_t maxBytes, Bytes* out, size_t* used) {
  constexpr size_t kFirstStreamBlock = 65536;
  try {
    // One byte more than the size shows a file that grew meanwhile.
    out->resize(static_cast<size_t>(sizeHint) + 1);
    for (;;) {
      if (*used == out->size()) {
        if (*used > maxBytes) return {FileReadStatus::kTooLarge};
        out->resize(std::min(std::max(*used * 2, kFirstStreamBlock), maxBytes + 1));
      }
      const ssize_t got = ReadSome(fd, out->data() + *used, out->size() - *used);
      if (got < 0) return {FileReadStatus::kReadFailed, errno};
      if (got == 0) return {};
      *used += static_cast<size_t>(got);
    }
  } catch (const std::bad_alloc&) {
    return {FileReadStatus::kOutOfMemory};
  }
}

}  // namespace whole_file_detail

// Reads fd to its end into out, which is resized to what was read and left
// empty on failure. sizeHint (a regular file's size) sizes out once; a file
// that grows while read is read on up to maxBytes. Secrets need a container
// that wipes the blocks it lets go of (WipingBytes, WipingString).
template <typename Bytes>
FileReadResult ReadToEnd(int fd, uint64_t sizeHint, size_t maxBytes, Bytes* out) {
  size_t used = 0;
  const FileReadResult result = sizeHint > maxBytes ? FileReadResult{FileReadStatus::kTooLarge}
                                                    : whole_file_detail::Fill(fd, sizeHint, maxBytes, out, &used);
  if (result) {
    out->resize(used);
  } else {
    Bytes().swap(*out);
  }
  return result;
}

template <typename Bytes>
FileReadResult ReadWholeFile(const char* path, const FileReadOptions& options, Bytes* out) {
  int fd = -1;
  uint64_t size = 0;
  FileReadResult result = OpenForReading(path, options, &fd, &size);
  if (!result) {
    Bytes().swap(*out);
    return result;
  }
  result = ReadToEnd(fd, size, options.maxBytes, out);
  close(fd);
  return result;
}
