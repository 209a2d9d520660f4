#include <errno.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/byte_order.h"
#include "crypto/aes.h"
#include "crypto/crc32.h"
#include "crypto/safe_key.h"
#include "safe/safe_file_check.h"
#include "safe/safe_file_ops.h"
#include "safe/safe_format.h"
#include "safe/safe_resave_key.h"
#include "safe/safe_store.h"
#include "safe/safe_text.h"
#include "platform/temp_file.h"
#include "safe/strong_record.h"

namespace {

// Encrypts one chunk straight from the text into out; only a partial last
// block goes through a padded copy. Returns the padded length.
size_t EncryptChunk(const AesContext& aes, const uint8_t* plain, size_t length, uint8_t* out, uint32_t& crc) {
  size_t whole = length & ~size_t{15};
  crc = Crc32Update(crc, plain, whole);
  AesEncryptBlocks(aes, plain, out, whole / kAesBlockSize);
  if (whole == length) return length;
  uint8_t last[kAesBlockSize] = {};
  std::memcpy(last, plain + whole, length - whole);
  crc = Crc32Update(crc, last, sizeof last);
  AesEncryptBlock(aes, last, out + whole);
  explicit_bzero(last, sizeof last);
  return whole + kAesBlockSize;
}

bool WriteRecord(SafeFileOps& ops, int fd, const AesContext& aes, const SafeText& text) {
  size_t bufferSize = static_cast<size_t>(std::min<uint64_t>(RoundUpToBlock(text.length), kSafeChunkSize));
  auto* buffer = static_cast<uint8_t*>(std::malloc(bufferSize));
  if (buffer == nullptr) return false;
  uint8_t field[4];
  Store32Le(field, static_cast<uint32_t>(text.length));
  bool ok = ops.Write(fd, field, sizeof field);
  uint32_t crc = Crc32Update(0, nullptr, 0);
  for (uint64_t offset = 0; ok && offset < text.length; offset += kSafeChunkSize) {
    size_t length = static_cast<size_t>(std::min<uint64_t>(text.length - offset, kSafeChunkSize));
    size_t padded = EncryptChunk(aes, text.bytes + offset, length, buffer, crc);
    ok = ops.Write(fd, buffer, padded);
  }
  std::free(buffer);  // ciphertext only: nothing to wipe
  Store32Le(field, crc);
  ok = ok && ops.Write(fd, field, sizeof field);
  Store32Le(field, static_cast<uint32_t>(RoundUpToBlock(text.length) + kSafeHeaderSize + kSafeTrailerSize));
  return ok && ops.Write(fd, field, sizeof field);
}

bool WriteLegacyRecord(SafeFileOps& ops, int fd, const char* password, const SafeText& text) {
  uint8_t key[kSafeKeySize];
  DeriveSafeKey(password, key);
  AesContext aes;
  AesSetKey(aes, key, 128, true);
  explicit_bzero(key, sizeof key);
  bool ok = WriteRecord(ops, fd, aes, text);
  AesWipeContext(aes);
  return ok;
}

// In the held key's format: a strong safe stays strong, a legacy one legacy.
bool WriteSafeFile(SafeFileOps& ops, const char* path, const HeldSafeKey& key, const EntryList& entries) {
  int fd = ops.OpenForWriting(path);
  if (fd < 0) return false;
  SafeText text;
  bool ok = key.IsHeld() && BuildSafeText(entries, key.GetFormat(), text);
  if (ok) {
    ok = key.GetFormat() == SafeFormat::kStrong ? WriteStrongRecord(ops, fd, key, text.bytes, text.length)
                                                : WriteLegacyRecord(ops, fd, key.GetLegacyPassword(), text);
  }
  // A failed close can mean the data never reached the file.
  return ops.Close(fd) && ok;
}

}  // namespace

bool SaveSafe(const char* userName, const HeldSafeKey& key, const EntryList& entries) {
  SafeFileOps& ops = GetSafeFileOps();
  char directory[kSafePathCapacity];
  char tempPath[kSafePathCapacity];
  if (!ops.GetTempDir(directory, sizeof directory)) return false;
  if (!ops.CreateTempFile(directory, kSafeTempPrefix, tempPath, sizeof tempPath)) return false;
  // What was written must open before it replaces anything.
  bool ok = WriteSafeFile(ops, tempPath, key, entries) && CheckSafeFile(tempPath, key);
  if (ok) {
    char safePath[kSafePathCapacity];
    ok = BuildSafePath(userName, safePath) && ops.ReplaceWithCopy(tempPath, safePath);
  }
  // errno tells the caller why a save failed.
  int error = errno;
  RemoveTempFile(tempPath);
  errno = error;
  return ok;
}

bool SaveSafe(const char* userName, const char* password, const EntryList& entries) {
  HeldSafeKey key;
  return DeriveKeyForResave(userName, password, key) && SaveSafe(userName, key, entries);
}
