#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "core/byte_order.h"
#include "core/posixfile.h"
#include "crypto/aes.h"
#include "crypto/crc32.h"
#include "crypto/safe_key.h"
#include "safe/safe_file_check.h"
#include "safe/safe_format.h"
#include "safe/legacy_lines.h"
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
  uint64_t total = Load32Le(field);
  if (total > fileSize || total < kSafeHeaderSize + kSafeTrailerSize) return false;
  if (lseek(fd, static_cast<off_t>(fileSize - total), SEEK_SET) < 0) return false;
  if (!ReadFully(fd, field, 4)) return false;
  length = Load32Le(field);
  return RoundUpToBlock(length) + kSafeHeaderSize + kSafeTrailerSize <= total;
}

// One pass over the file: loaded when it was read whole and its CRC matched.
// A full pass hands the decrypted text, pad bytes left out, to lines.
SafeLoadResult ReadRecord(int fd, uint64_t fileSize, const AesContext& aes, SafeLineCollector* lines) {
  uint32_t length;
  if (!LocateRecord(fd, fileSize, length)) return SafeLoadResult::kDamaged;
  size_t bufferSize = static_cast<size_t>(std::min<uint64_t>(RoundUpToBlock(length), kSafeChunkSize));
  auto* buffer = static_cast<uint8_t*>(std::malloc(std::max<size_t>(bufferSize, 1)));
  if (buffer == nullptr) return SafeLoadResult::kFailed;
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
  if (!ok || !ReadFully(fd, field, sizeof field)) return SafeLoadResult::kDamaged;
  return Load32Le(field) == crc ? SafeLoadResult::kLoaded : SafeLoadResult::kWrongPassword;
}

SafeLoadResult ReadSafeFile(const char* path, const char* password, SafeLineCollector* lines) {
  uint64_t fileSize = 0;
  int fd = OpenRegularFileForReading(path, fileSize);
  if (fd < 0) return SafeLoadResult::kMissing;
  uint8_t key[kSafeKeySize];
  DeriveSafeKey(password, key);
  AesContext aes;
  AesSetKey(aes, key, 128, false);
  explicit_bzero(key, sizeof key);
  SafeLoadResult result = ReadRecord(fd, fileSize, aes, lines);
  close(fd);
  AesWipeContext(aes);
  return result;
}

// The verify pass alone, or a strong file's read into entries.
SafeLoadResult ReadFileWithKey(const char* path, const HeldSafeKey& key, EntryList* strongEntries) {
  if (key.GetFormat() == SafeFormat::kStrong) return ReadStrongSafeFile(path, key, strongEntries);
  if (!key.IsHeld()) return SafeLoadResult::kWrongPassword;
  return ReadSafeFile(path, key.GetLegacyPassword(), nullptr);
}

// A legacy safe: a verify pass, then the lines, taken only once the file
// was read whole and its CRC matched. A strong file's tag is checked before
// anything is decrypted, so it needs no separate verify pass.
// textBroken is set when the file opened but its text broke the layout.
SafeLoadResult ReadSafeEntries(const char* path, const HeldSafeKey& key, EntryList& loaded, bool& textBroken) {
  if (key.GetFormat() == SafeFormat::kStrong) return ReadStrongSafeFile(path, key, &loaded, &textBroken);
  SafeLoadResult verified = ReadFileWithKey(path, key, nullptr);
  if (verified != SafeLoadResult::kLoaded) return verified;
  SafeLineCollector lines;
  SafeLoadResult read = ReadSafeFile(path, key.GetLegacyPassword(), &lines);
  if (read != SafeLoadResult::kLoaded) return read;
  if (!lines.Finish()) {
    textBroken = true;
    return SafeLoadResult::kDamaged;
  }
  AppendEntriesFromLines(lines.Lines(), loaded.entries);
  return SafeLoadResult::kLoaded;
}

}  // namespace

bool CheckSafeFile(const char* path, const HeldSafeKey& key) {
  return ReadFileWithKey(path, key, nullptr) == SafeLoadResult::kLoaded;
}

SafeLoadResult LoadSafeWithResult(const char* userName, const char* password, EntryList& entries, bool verifyOnly,
                                  const std::function<void()>& refreshList) {
  HeldSafeKey key;
  if (!DeriveKeyForSafe(userName, password, key)) return WhyNoKeyForSafe(userName);
  if (verifyOnly) {
    char path[kSafePathCapacity];
    if (!BuildSafePath(userName, path)) return SafeLoadResult::kMissing;
    return ReadFileWithKey(path, key, nullptr);
  }
  return LoadSafeWithResult(userName, key, entries, refreshList);
}

SafeLoadResult LoadSafeWithResult(const char* userName, const HeldSafeKey& key, EntryList& entries,
                                  const std::function<void()>& refreshList) {
  char path[kSafePathCapacity];
  if (!BuildSafePath(userName, path)) return SafeLoadResult::kMissing;
  EntryList loaded;
  bool textBroken = false;
  SafeLoadResult read = ReadSafeEntries(path, key, loaded, textBroken);
  // A file that opens but holds no valid list empties the list, as designed.
  if (textBroken) entries = EntryList();
  if (read != SafeLoadResult::kLoaded) return read;
  entries = std::move(loaded);  // the old entries go, wiped
  if (refreshList) refreshList();
  return SafeLoadResult::kLoaded;
}

bool LoadSafe(const char* userName, const char* password, EntryList& entries, bool verifyOnly,
              const std::function<void()>& refreshList) {
  return LoadSafeWithResult(userName, password, entries, verifyOnly, refreshList) == SafeLoadResult::kLoaded;
}

bool LoadSafe(const char* userName, const HeldSafeKey& key, EntryList& entries,
              const std::function<void()>& refreshList) {
  return LoadSafeWithResult(userName, key, entries, refreshList) == SafeLoadResult::kLoaded;
}
