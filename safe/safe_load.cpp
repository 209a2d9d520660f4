#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/heapstring.h"
#include "core/posixfile.h"
#include "crypto/aes.h"
#include "crypto/crc32.h"
#include "crypto/safe_key.h"
#include "safe/safe_format.h"
#include "safe/safe_store.h"

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

// Decrypts one chunk read into buffer. With a plaintext, whole blocks go
// straight to it and the pad bytes of a partial last block are dropped.
void DecryptChunk(const AesContext& aes, uint8_t* buffer, size_t length, uint8_t* plain,
                  uint32_t& crc) {
  size_t padded = static_cast<size_t>(RoundUpToBlock(length));
  if (plain == nullptr) {
    AesDecryptBlocks(aes, buffer, buffer, padded / kAesBlockSize);
    crc = Crc32Update(crc, buffer, padded);
    return;
  }
  size_t whole = length & ~size_t{15};
  AesDecryptBlocks(aes, buffer, plain, whole / kAesBlockSize);
  crc = Crc32Update(crc, plain, whole);
  if (whole == length) return;
  uint8_t last[kAesBlockSize];
  AesDecryptBlock(aes, buffer + whole, last);
  crc = Crc32Update(crc, last, sizeof last);
  std::memcpy(plain + whole, last, length - whole);
  explicit_bzero(last, sizeof last);
}

// The decrypted L bytes, plus a NUL of our own so that a text without one
// still ends inside the buffer.
struct Plaintext {
  uint8_t* bytes = nullptr;
  uint32_t length = 0;

  ~Plaintext() {
    if (bytes == nullptr) return;
    explicit_bzero(bytes, size_t{length} + 1);
    std::free(bytes);
  }
};

// One pass over the file: true when it was read whole and its CRC matched.
// plain is null for a verify-only pass.
bool ReadRecord(int fd, uint64_t fileSize, const AesContext& aes, Plaintext* plain) {
  uint32_t length;
  if (!LocateRecord(fd, fileSize, length)) return false;
  size_t bufferSize = static_cast<size_t>(std::min<uint64_t>(RoundUpToBlock(length), kSafeChunkSize));
  auto* buffer = static_cast<uint8_t*>(std::malloc(std::max<size_t>(bufferSize, 1)));
  if (buffer == nullptr) return false;
  if (plain != nullptr) {
    plain->bytes = static_cast<uint8_t*>(std::malloc(size_t{length} + 1));
    plain->length = length;
  }
  bool ok = plain == nullptr || plain->bytes != nullptr;
  uint32_t crc = Crc32Update(0, nullptr, 0);
  for (uint64_t offset = 0; ok && offset < length; offset += kSafeChunkSize) {
    size_t chunk = static_cast<size_t>(std::min<uint64_t>(length - offset, kSafeChunkSize));
    ok = ReadFully(fd, buffer, static_cast<size_t>(RoundUpToBlock(chunk)));
    if (ok) DecryptChunk(aes, buffer, chunk, plain != nullptr ? plain->bytes + offset : nullptr, crc);
  }
  // A verify pass leaves plaintext in the buffer.
  explicit_bzero(buffer, bufferSize);
  std::free(buffer);
  uint8_t field[4];
  ok = ok && ReadFully(fd, field, sizeof field) && LoadLe32(field) == crc;
  if (ok && plain != nullptr) plain->bytes[length] = 0;
  return ok;
}

bool ReadPass(const char* userName, const char* password, Plaintext* plain) {
  char path[kSafePathCapacity];
  if (!BuildSafePath(userName, path)) return false;
  uint8_t key[kSafeKeySize];
  DeriveSafeKey(password, key);
  AesContext aes;
  AesSetKey(aes, key, 128, false);
  explicit_bzero(key, sizeof key);
  uint64_t fileSize = 0;
  int fd = OpenRegularFileForReading(path, fileSize);
  bool ok = fd >= 0 && ReadRecord(fd, fileSize, aes, plain);
  if (fd >= 0) close(fd);
  AesWipeContext(aes);
  return ok;
}

// A line must have exactly three tab-separated fields; a line with a field
// over the limit is dropped. Counted in place, so no copies of secrets.
enum class LineCheck { kKeep, kDrop, kMalformed };

LineCheck CheckLine(const char* line, size_t length) {
  int fields = 1;
  size_t fieldLength = 0;
  bool tooLong = false;
  for (size_t i = 0; i < length; ++i) {
    if (line[i] == '\t') {
      ++fields;
      fieldLength = 0;
    } else if (++fieldLength > kSafeMaxFieldLength) {
      tooLong = true;
    }
  }
  if (fields != 3) return LineCheck::kMalformed;
  return tooLong ? LineCheck::kDrop : LineCheck::kKeep;
}

// Splits the text (up to its NUL) at every "\r\n", checking each line as it
// goes; k separators give k + 1 lines, empty ones included.
bool TakeLines(const Plaintext& plain, cpStringArray& entries) {
  entries.SetWipeOnRelease(true);
  entries.RemoveAll();
  if (plain.length == kEmptySafeLength &&
      std::memcmp(plain.bytes, kEmptySafeSentence, kEmptySafeLength) == 0) {
    return true;
  }
  const char* text = reinterpret_cast<const char*>(plain.bytes);
  const char* end = text + std::strlen(text);
  for (const char* line = text;;) {
    const char* cut = line;
    while (cut < end && !(cut[0] == '\r' && cut + 1 < end && cut[1] == '\n')) ++cut;
    size_t length = static_cast<size_t>(cut - line);
    LineCheck check = CheckLine(line, length);
    if (check == LineCheck::kMalformed) {
      entries.RemoveAll();
      return false;
    }
    if (check == LineCheck::kKeep) {
      char* copy = DupBytes(line, length);
      if (copy == nullptr || entries.AddOwned(copy) == nullptr) {
        WipeAndFree(copy);
        entries.RemoveAll();
        return false;
      }
    }
    if (cut == end) return true;
    line = cut + 2;
  }
}

}  // namespace

bool LoadSafe(const char* userName, const char* password, cpStringArray& entries, bool verifyOnly,
              const std::function<void()>& refreshList) {
  if (!ReadPass(userName, password, nullptr)) return false;
  if (verifyOnly) return true;
  Plaintext plain;
  if (!ReadPass(userName, password, &plain)) return false;
  if (!TakeLines(plain, entries)) return false;
  if (refreshList) refreshList();
  return true;
}
