#pragma once

#include <cstdint>
#include <string>

// Registry value types the hive files name explicitly; any other number is
// kept as "hex(N):" with its bytes.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;

// One registry value: its type number and its raw data bytes (a REG_SZ
// holds the text followed by its terminating zero byte).
struct WHiveValue {
  uint32_t type = kRegNone;
  std::string data;

  bool operator==(const WHiveValue&) const = default;
};
