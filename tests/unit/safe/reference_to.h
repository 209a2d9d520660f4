#pragma once

#include <string>

#include "safe/entry.h"

// KeePass's reference to a field (T, U, P, A, N or I) of the entry, by the
// entry's own id.
inline std::string ReferenceTo(char field, const Entry& entry) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string reference = std::string("{REF:") + field + "@I:";
  for (uint8_t byte : entry.id.bytes) {
    reference += kDigits[byte >> 4];
    reference += kDigits[byte & 15];
  }
  return reference + "}";
}
