#pragma once

#include <string>
#include <vector>

#include "safe/entry.h"
#include "safe/strong_format.h"
#include "tests/unit/core/scratch_dir.h"

// A private folder for one test: the executable seems to live there (so
// safes are made there) and TMPDIR points inside it. Removed afterwards.
class SafeTestDir {
 public:
  SafeTestDir();
  ~SafeTestDir();
  SafeTestDir(const SafeTestDir&) = delete;
  SafeTestDir& operator=(const SafeTestDir&) = delete;

  std::string Path() const { return scratch_.Path(""); }
  std::string SafePath(const std::string& userName) const { return scratch_.Path(userName + ".SAFE"); }
  std::string LockPath(const std::string& userName) const { return SafePath(userName) + ".lock"; }
  // Names in the folder itself, sorted; "tmp" is the temporary directory.
  std::string Listing() const { return scratch_.Listing(); }
  // Names of the files left in the private temporary directory.
  std::vector<std::string> TempFiles() const;
  // XDG_STATE_HOME while the test runs: what this "machine" remembers.
  std::string StatePath() const { return state_.Root(); }

 private:
  ScratchDir scratch_;
  ScratchDir state_;
  std::string oldTmpDir_;
  bool hadTmpDir_ = false;
  std::string oldStateHome_;
  bool hadStateHome_ = false;
};

// Argon2id parameters for strong safes made by tests: the smallest allowed,
// so a key derivation takes microseconds instead of a second.
inline constexpr StrongSafeParams kTinySafeParams = {1, 8};

// Entries as "title\tuser\tpassword" lines, and lines as entries (each with
// an id and a time, as a save gives them).
std::vector<std::string> ToVector(const std::vector<Entry>& entries);
std::vector<std::string> ToVector(const EntryList& list);
// The bytes of a hex fixture in tests/data/safe/.
std::string ReadHexFixture(const std::string& name);
void Fill(EntryList& list, const std::vector<std::string>& lines);
// Fields split at the first two tabs; a legacy safe writes them back joined
// by tabs, so a line with other than two tabs makes a malformed safe.
void AddLine(EntryList& list, const std::string& line);
EntryList ListOf(const std::vector<std::string>& lines);
