#include "cli/safe_diagnosis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "app/quillbox_messages.h"
#include "safe/safe_format.h"
#include "safe/safe_store.h"

namespace {

bool ReadLe32At(int fd, uint64_t offset, uint32_t* value) {
  uint8_t field[4];
  if (pread(fd, field, sizeof field, static_cast<off_t>(offset)) != 4) return false;
  *value = LoadLe32(field);
  return true;
}

// The checks the loader makes before decrypting: the strong header, or for
// a legacy safe T within the file and the padded L within T.
bool RecordFitsFile(const char* user_name) {
  // A strong safe's header is checked whole, bounds included.
  SafeInfo format;
  if (!GetSafeInfo(user_name, format)) return false;
  if (format.format == SafeFormat::kStrong) return true;
  char path[kSafePathCapacity];
  if (!BuildSafePath(user_name, path)) return false;
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  uint32_t total = 0, length = 0;
  bool fits = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 4 &&
              ReadLe32At(fd, static_cast<uint64_t>(info.st_size) - 4, &total) &&
              total <= static_cast<uint64_t>(info.st_size) && total >= kSafeHeaderSize + kSafeTrailerSize &&
              ReadLe32At(fd, static_cast<uint64_t>(info.st_size) - total, &length) &&
              RoundUpToBlock(length) + kSafeHeaderSize + kSafeTrailerSize <= total;
  close(fd);
  return fits;
}

}  // namespace

SafeOpenResult DiagnoseSafe(const char* user_name, const char* password) {
  if (!SafeExists(user_name)) return {kExitMissingSafe, kUserNotFoundMessage};
  if (!RecordFitsFile(user_name)) return {kExitDamagedSafe, kDamagedSafeMessage};
  cpStringArray unused;
  if (!LoadSafe(user_name, password, unused, true)) return {kExitWrongPassword, kLogInFailedMessage};
  return {kExitDamagedSafe, kDamagedSafeMessage};
}

SafeOpenResult LoadSafeForCli(const char* user_name, const char* password, cpStringArray& entries) {
  entries.SetWipeOnRelease(true);
  if (LoadSafe(user_name, password, entries)) return {kExitOk, nullptr};
  return DiagnoseSafe(user_name, password);
}
