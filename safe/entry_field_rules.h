#pragma once

#include <string_view>

#include "safe/strong_format.h"

// What the title, user name and password of an entry may hold. A legacy
// safe stores them as a line of tab-separated fields, so it takes at most
// 259 bytes each and no tab or line break; a strong safe takes any text
// without NUL up to its limit.

inline constexpr char kBlankEntryMessage[] = "All fields cannot be blank.";
inline constexpr char kEntryFieldSeparatorMessage[] = "Fields cannot contain tabs or line breaks.";
inline constexpr char kEntryFieldTooLongMessage[] =
    "Fields cannot be longer than 259 bytes; a letter outside plain ASCII takes 2 to 4 of them.";

// Everything but the three fields needs a strong safe.
inline constexpr char kNeedsStrongFormatMessage[] =
    "These fields need the strong format: File > Upgrade Safe Encryption... makes room for them.";

// Null when the three fields fit a safe of the format, else why not.
const char* CheckDesignedFields(SafeFormat format, std::string_view description, std::string_view userName,
                                std::string_view password);

struct Entry;
// Null when the whole entry fits a safe of the format: in a legacy one the
// three fields by its rules and nothing else set; in a strong one, its limits.
const char* CheckWholeEntry(SafeFormat format, const Entry& entry);
