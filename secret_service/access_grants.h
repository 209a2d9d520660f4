#pragma once

#include <string_view>

#include "safe/entry.h"

// "Allow Always" answers live with the entry they allow, in a protected
// custom field that lists the programs' executables one a line: they are
// saved, synced and deleted with it, and no client sees or sets them.
inline constexpr char kAccessFieldName[] = "Secret Service Access";

bool IsAlwaysAllowed(const Entry& entry, std::string_view program);
// False when the program cannot be remembered (an empty path or one with a
// line break) or the field would grow past an entry's limits; the entry
// stays as it was then.
bool AllowAlways(std::string_view program, Entry* entry);
