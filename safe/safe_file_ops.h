#pragma once

#include <cstddef>

// The file operations of a save, behind one seam so that tests can make any
// of them fail. Removing the temporary file afterwards is not part of it:
// cleanup must happen whatever failed before.
class SafeFileOps {
 public:
  virtual ~SafeFileOps() = default;

  virtual bool GetTempDir(char* buffer, size_t capacity);
  virtual bool CreateTempFile(const char* directory, const char* prefix, char* path, size_t capacity);
  // A descriptor, or -1.
  virtual int OpenForWriting(const char* path);
  // True only when every byte was written.
  virtual bool Write(int fd, const void* data, size_t size);
  // Always closes the descriptor; false when the close reported an error.
  virtual bool Close(int fd);
  virtual bool ReplaceWithCopy(const char* source, const char* destination);
};

// The operations SaveSafe uses: the real ones unless a test installed others.
SafeFileOps& GetSafeFileOps();
// Null restores the real operations. The object stays owned by the caller.
void OverrideSafeFileOps(SafeFileOps* ops);
