// Safe files in, two properties out: the loader never crashes or reads out of
// bounds, and it either fails leaving the list untouched or emptied, or gives
// lines of exactly three fields of at most 260 characters.
// The first input byte chooses what the rest is: raw file bytes, or a
// plaintext that is encrypted into a valid record, so the line checks behind
// the CRC are reached too.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/executable_path.h"
#include "safe/safe_store.h"
#include "tests/unit/safe/safe_test_records.h"

namespace {

const char kPassword[] = "password";

void Require(bool condition) {
  if (!condition) std::abort();
}

std::string& SafeFolder() {
  static std::string folder;
  return folder;
}

void RemoveSafeFolder() {
  std::filesystem::remove_all(SafeFolder());
}

// Safes of this process live in a private folder of their own.
void PlaceSafesInTempFolder() {
  if (!SafeFolder().empty()) return;
  char pattern[] = "/tmp/quillbox-fuzz-XXXXXX";
  Require(mkdtemp(pattern) != nullptr);
  SafeFolder() = pattern;
  std::atexit(RemoveSafeFolder);
  OverrideExecutablePath((SafeFolder() + "/quillbox").c_str());
}

bool IsWellFormedLine(const char* line) {
  int fields = 1;
  size_t fieldLength = 0;
  for (const char* c = line; *c != '\0'; ++c) {
    if (*c == '\t') {
      ++fields;
      fieldLength = 0;
    } else if (++fieldLength > 260) {
      return false;
    }
  }
  return fields == 3;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  PlaceSafesInTempFolder();
  std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string file = (data[0] & 1) != 0 ? EncryptRecord(kPassword, rest) : rest;
  char path[kSafePathCapacity];
  Require(BuildSafePath("fuzz", path));
  std::ofstream(path, std::ios::binary | std::ios::trunc) << file;

  cpStringArray entries;
  entries.Add("before");
  if (LoadSafe("fuzz", kPassword, entries)) {
    for (uint32_t i = 0; i < entries.GetCount(); ++i) Require(IsWellFormedLine(entries.GetAt(i)));
  } else {
    Require(entries.GetCount() == 0 ||
            (entries.GetCount() == 1 && std::strcmp(entries.GetAt(0), "before") == 0));
  }
  return 0;
}
