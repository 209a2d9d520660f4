#pragma once

#include <string>

#include "platform/hive_location.h"
#include "platform/hive_value.h"

// Win32-style status numbers the hive layer reports.
inline constexpr long kHiveSuccess = 0;
inline constexpr long kHiveFileNotFound = 2;  // also: no such value
inline constexpr long kHivePathNotFound = 3;  // no hive folder can be named
inline constexpr long kHiveAccessDenied = 5;
inline constexpr long kHiveInvalidData = 13;       // the hive file is too large to load
inline constexpr long kHiveInvalidParameter = 87;  // a value name that cannot be stored

// A key of one hive file, opened with all access: the create-or-open,
// query and set calls of the registry. Opening creates the key (and the
// hive file and its folder) when missing and succeeds only when the hive
// can be written. Every call re-reads the file; every change is a locked
// read-modify-write finished by an atomic replace.
class WHiveKey {
 public:
  long Open(WHive hive, const std::string& subKey);
  // Forgets the key; there is no descriptor to release.
  long Close();
  bool IsOpen() const { return !filePath_.empty(); }

  // kHiveFileNotFound when the value is not there.
  long Query(const std::string& name, WHiveValue* value) const;
  long Set(const std::string& name, const WHiveValue& value);

 private:
  std::string filePath_;
  std::string keyPath_;
};
