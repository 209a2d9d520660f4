#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "2024-05-01T12:30:00Z" (fractions of a second and the Z optional) as
// seconds since 1970-01-01 UTC; 0 when the text is no such time.
int64_t ParseUtcTime(std::string_view text);
// The same form, without fractions.
std::string FormatUtcTime(int64_t seconds);
