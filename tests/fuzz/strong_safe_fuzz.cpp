// Strong safe files in, the reader's promises out: it never crashes or reads
// out of bounds, a refused file leaves the list untouched (or emptied for bad
// lines), and an opened one gives lines of exactly three fields of at most
// 260 characters. The first input byte chooses what the rest is: raw file
// bytes, or a safe text sealed into a valid file, so the line checks behind
// the tag are reached too. Files are opened under a key held from the
// fixture's password, salt and parameters; the password path (Argon2id with
// the header's parameters) runs only for small parameters, since a valid
// header may ask for 4 GiB.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "safe/held_safe_key.h"
#include "safe/safe_store.h"
#include "safe/strong_record.h"
#include "tests/fuzz/safe_fuzz_support.h"

namespace {

const char kPassword[] = "fixture password";

// The fixture's: 1 iteration, 8 KiB, salt 0..15.
const HeldSafeKey& FixtureKey() {
  static HeldSafeKey key;
  if (!key.IsHeld()) {
    uint8_t salt[kStrongSaltSize];
    for (size_t i = 0; i < sizeof salt; ++i) salt[i] = static_cast<uint8_t>(i);
    Require(key.DeriveStrong(kPassword, {1, 8}, salt));
  }
  return key;
}

std::string Seal(const std::string& text) {
  StrongSafeHeader header;
  header.params = FixtureKey().GetParams();
  std::memcpy(header.salt, FixtureKey().GetSalt(), kStrongSaltSize);
  std::string file(kStrongHeaderSize + text.size() + kStrongTagSize, '\0');
  SealStrongRecord(FixtureKey().GetStrongKey(), header, reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                   reinterpret_cast<uint8_t*>(file.data()));
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  PlaceSafesInTempFolder();
  std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string file = (data[0] & 1) != 0 ? Seal(rest) : rest;
  WriteFuzzSafe(file);

  EntryList entries = ListBefore();
  CheckLoadResult(LoadSafe("fuzz", FixtureKey(), entries), entries);

  SafeInfo info;
  if (GetSafeInfo("fuzz", info) && info.format == SafeFormat::kStrong && info.params.iterations <= 2 &&
      info.params.memoryKiB <= 64) {
    EntryList byPassword = ListBefore();
    CheckLoadResult(LoadSafe("fuzz", kPassword, byPassword), byPassword);
  }
  return 0;
}
