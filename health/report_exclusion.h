#pragma once

#include "safe/entry.h"

// An entry the user keeps out of the health report: the custom field
// "KnownBad" set to "true", the key and value KeePassXC gives the same flag
// in its custom data, so the flag means the same on both sides.
inline constexpr char kExcludeFromReportsField[] = "KnownBad";
inline constexpr char kExcludeFromReportsValue[] = "true";

bool IsExcludedFromReports(const Entry& entry);
// Sets or removes the field; false when nothing changed.
bool SetExcludedFromReports(Entry& entry, bool excluded);
