#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "safe/entry.h"

// An entry with every field a strong safe holds, as the interchange tests
// write it out and read it back.
inline constexpr int64_t kCreated = 1704164645;   // 2024-01-02T03:04:05Z
inline constexpr int64_t kModified = 1738555506;  // 2025-02-03T04:05:06Z

Entry FullEntry();

const Entry* Titled(const std::vector<Entry>& entries, std::string_view title);
std::vector<std::string> Tags(const Entry& entry);
