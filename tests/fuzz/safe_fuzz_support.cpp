#include "tests/fuzz/safe_fuzz_support.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/executable_path.h"
#include "safe/entry_records.h"
#include "safe/safe_store.h"

namespace {

std::string& SafeFolder() {
  static std::string folder;
  return folder;
}

void RemoveSafeFolder() { std::filesystem::remove_all(SafeFolder()); }

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

EntryList ListBefore() {
  EntryList list;
  Entry& entry = list.entries.emplace_back();
  entry.id = EntryId::Random();
  entry.title = "before";
  return list;
}

void CheckLoadResult(bool loaded, const EntryList& entries) {
  if (loaded) {
    Require(CheckEntryListLimits(entries) == nullptr);
    for (const Entry& entry : entries.entries) Require(!entry.id.IsZero());
  } else {
    Require(entries.entries.empty() || (entries.entries.size() == 1 && entries.entries[0].title == "before"));
  }
}
