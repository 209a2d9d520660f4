#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "core/posixfile.h"
#include "crypto/aes.h"
#include "crypto/crc32.h"
#include "crypto/safe_key.h"
#include "safe/safe_file_check.h"
#include "safe/safe_format.h"
#include "safe/safe_line_collector.h"
#include "safe/safe_store.h"
#include "safe/strong_record.h"

namespace {

// Finds the record from the file's end and checks that it fits before
// anything is allocated: T within the file, the padded L within T.
// Leaves the file positioned just after L.
bool LocateRecord(int fd, uint64_t fileSize, uint32_t& length) {
  uint8_t field[4];
  if (fileSize < 4 || pread(fd, field, 4, static_cast<off_t>(fileSize - 4)) != 4) return false;
  uint64_t total = LoadLe32(field);
  if (total > fileSize || total < kSafeHeaderSize + kSafeTrailerSize) return false;
  if (lseek(fd, static_cast<off_t>(fileSize - total), SEEK_SET) < 0) return false;
  if (!ReadFully(fd, field, 4)) return false;
  length = LoadLe32(field);
  return RoundUpToBlock(length) + kSafeHeaderSize + kSafeTrailerSize <= total;
}

// One pass over the file: true when it was read whole and its CRC matched.
// A full pass hands the decrypted text, pad bytes left out, to lines.
bool ReadRecord(int fd, uint64_t fileSize, const AesContext& aes, SafeLineCollector* lines) {
  uint32_t length;
  if (!LocateRecord(fd, fileSize, length)) return false;
  size_t bufferSize = static_cast<size_t>(std::min<uint64_t>(RoundUpToBlock(length), kSafeChunkSize));
  auto* buffer = static_cast<uint8_t*>(std::malloc(std::max<size_t>(bufferSize, 1)));
  if (buffer == nullptr) return false;
  if (lines != nullptr) lines->Start(length);
  uint32_t crc = Crc32Update(0, nullptr, 0);
  bool ok = true;
  for (uint64_t offset = 0; ok && offset < length; offset += kSafeChunkSize) {
    size_t chunk = static_cast<size_t>(std::min<uint64_t>(length - offset, kSafeChunkSize));
    size_t padded = static_cast<size_t>(RoundUpToBlock(chunk));
    ok = ReadFully(fd, buffer, padded);
    if (!ok) break;
    AesDecryptBlocks(aes, buffer, buffer, padded / kAesBlockSize);
    crc = Crc32Update(crc, buffer, padded);
    if (lines != nullptr) lines->Feed(reinterpret_cast<const char*>(buffer), chunk);
  }
  explicit_bzero(buffer, bufferSize);
  std::free(buffer);
  uint8_t field[4];
  return ok && ReadFully(fd, field, sizeof field) && LoadLe32(field) == crc;
}

bool ReadSafeFile(const char* path, const char* password, SafeLineCollector* lines) {
  uint8_t key[kSafeKeySize];
  DeriveSafeKey(password, key);
  AesContext aes;
  AesSetKey(aes, key, 128, false);
  explicit_bzero(key, sizeof key);
  uint64_t fileSize = 0;
  int fd = OpenRegularFileForReading(path, fileSize);
  bool ok = fd >= 0 && ReadRecord(fd, fileSize, aes, lines);
  if (fd >= 0) close(fd);
  AesWipeContext(aes);
  return ok;
}

bool ReadFileWithKey(const char* path, const HeldSafeKey& key, SafeLineCollector* lines) {
  if (key.GetFormat() == SafeFormat::kStrong) return ReadStrongSafeFile(path, key, lines);
  return key.IsHeld() && ReadSafeFile(path, key.GetLegacyPassword(), lines);
}

bool ReadPass(const char* userName, const HeldSafeKey& key, SafeLineCollector* lines) {
  char path[kSafePathCapacity];
  return BuildSafePath(userName, path) && ReadFileWithKey(path, key, lines);
}

}  // namespace

bool CheckSafeFile(const char* path, const HeldSafeKey& key) { return ReadFileWithKey(path, key, nullptr); }

bool LoadSafe(const char* userName, const char* password, cpStringArray& entries, bool verifyOnly,
              const std::function<void()>& refreshList) {
  HeldSafeKey key;
  if (!DeriveKeyForSafe(userName, password, key)) return false;
  if (verifyOnly) return ReadPass(userName, key, nullptr);
  return LoadSafe(userName, key, entries, refreshList);
}

bool LoadSafe(const char* userName, const HeldSafeKey& key, cpStringArray& entries,
              const std::function<void()>& refreshList) {
  SafeLineCollector lines;
  // The list changes only once the file has been read whole and its CRC
  // matched. A strong file's tag is checked before anything is decrypted,
  // so it needs no separate verify pass.
  if (key.GetFormat() == SafeFormat::kLegacy && !ReadPass(userName, key, nullptr)) return false;
  if (!ReadPass(userName, key, &lines)) return false;
  entries.SetWipeOnRelease(true);
  if (!lines.Finish()) {
    entries.RemoveAll();
    return false;
  }
  entries.Swap(lines.Lines());  // the old entries go, wiped, with the collector
  if (refreshList) refreshList();
  return true;
}
