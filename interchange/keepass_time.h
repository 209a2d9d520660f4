#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// KeePass times: ISO 8601 in UTC in an export and in version 3 databases,
// Base64 of the little-endian seconds since 0001-01-01 inside version 4.
// Seconds since 1970-01-01 UTC; 0 when the text is neither.
int64_t ReadKeepassTime(std::string_view text);
// The version 4 form.
void AppendKdbxTime(int64_t seconds, std::string* out);
