// Safe files in, two properties out: the loader never crashes or reads out of
// bounds, and it either fails leaving the list untouched or emptied, or gives
// lines of exactly three fields of at most 260 characters.
// The first input byte chooses what the rest is: raw file bytes, or a
// plaintext that is encrypted into a valid record, so the line checks behind
// the CRC are reached too.
#include <cstddef>
#include <cstdint>
#include <string>

#include "safe/safe_store.h"
#include "tests/fuzz/safe_fuzz_support.h"
#include "tests/unit/safe/safe_test_records.h"

namespace {

const char kPassword[] = "password";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  PlaceSafesInTempFolder();
  std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  WriteFuzzSafe((data[0] & 1) != 0 ? EncryptRecord(kPassword, rest) : rest);

  EntryList entries = ListBefore();
  CheckLoadResult(LoadSafe("fuzz", kPassword, entries), entries);
  return 0;
}
