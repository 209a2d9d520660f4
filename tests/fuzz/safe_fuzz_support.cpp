#include "tests/fuzz/safe_fuzz_support.h"

#include <stdlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/executable_path.h"
#include "safe/safe_store.h"

namespace {

std::string& SafeFolder() {
  static std::string folder;
  return folder;
}

void RemoveSafeFolder() { std::filesystem::remove_all(SafeFolder()); }

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

void Require(bool condition) {
  if (!condition) std::abort();
}

void PlaceSafesInTempFolder() {
  if (!SafeFolder().empty()) return;
  char pattern[] = "/tmp/quillbox-fuzz-XXXXXX";
  Require(mkdtemp(pattern) != nullptr);
  SafeFolder() = pattern;
  std::atexit(RemoveSafeFolder);
  OverrideExecutablePath((SafeFolder() + "/quillbox").c_str());
}

void WriteFuzzSafe(const std::string& file) {
  char path[kSafePathCapacity];
  Require(BuildSafePath("fuzz", path));
  std::ofstream(path, std::ios::binary | std::ios::trunc) << file;
}

void CheckLoadResult(bool loaded, const cpStringArray& entries) {
  if (loaded) {
    for (uint32_t i = 0; i < entries.GetCount(); ++i) Require(IsWellFormedLine(entries.GetAt(i)));
  } else {
    Require(entries.GetCount() == 0 || (entries.GetCount() == 1 && std::strcmp(entries.GetAt(0), "before") == 0));
  }
}
