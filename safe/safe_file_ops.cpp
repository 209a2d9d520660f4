#include "safe/safe_file_ops.h"

#include <fcntl.h>

#include "core/posixfile.h"
#include "platform/private_temp_dir.h"
#include "platform/replace_file.h"
#include "platform/temp_file.h"

namespace {

SafeFileOps*& Installed() {
  static SafeFileOps* ops = nullptr;
  return ops;
}

}  // namespace

bool SafeFileOps::GetTempDir(char* buffer, size_t capacity) { return GetPrivateTempDir(buffer, capacity); }

bool SafeFileOps::CreateTempFile(const char* directory, const char* prefix, char* path, size_t capacity) {
  return ::CreateTempFile(directory, prefix, path, capacity);
}

int SafeFileOps::OpenForWriting(const char* path) { return open(path, O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW); }

bool SafeFileOps::Write(int fd, const void* data, size_t size) { return WriteFully(fd, data, size); }

bool SafeFileOps::Close(int fd) { return CloseChecked(fd); }

bool SafeFileOps::ReplaceWithCopy(const char* source, const char* destination) {
  return ReplaceFileWithCopy(source, destination);
}

SafeFileOps& GetSafeFileOps() {
  static SafeFileOps real;
  return Installed() != nullptr ? *Installed() : real;
}

void OverrideSafeFileOps(SafeFileOps* ops) { Installed() = ops; }
