#pragma once

#include <string>
#include <string_view>

#include "platform/hive_value.h"

// One line of the registry-export text format at a time. Parsers take the
// line without its terminator and fail on anything they do not fully
// understand, so the caller can keep such lines untouched.

inline constexpr std::string_view kHiveHeader = "Windows Registry Editor Version 5.00";

// "[path]" -> path.
bool ParseHiveKeyLine(std::string_view line, std::string* key);
std::string FormatHiveKeyLine(std::string_view key);

// "Name"=<data> or @=<data>; the default value "@" has the empty name.
// data is "text" (with \\ and \" escapes), dword:XXXXXXXX, hex:.. or
// hex(N):.. bytes; continuation lines must already be joined (see
// HiveLineContinues).
bool ParseHiveValueLine(std::string_view line, std::string* name, WHiveValue* value);
// False when the name cannot be written on one line (it holds a line break
// or a zero byte). Text that would not survive the quoted form is written
// as hex(1) bytes.
bool FormatHiveValueLine(std::string_view name, const WHiveValue& value, std::string* line);

// True when a value line's hex data goes on in the next line (ends in '\').
bool HiveLineContinues(std::string_view line);

// Registry names compare without regard to ASCII case.
bool HiveNamesEqual(std::string_view a, std::string_view b);
