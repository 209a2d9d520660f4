#pragma once

#include <string_view>
#include <vector>

#include "core/cpstringarray.h"
#include "core/secret_text.h"
#include "safe/entry.h"

// The legacy format's entries are lines of three tab-separated fields
// (title, user name, password): how entries become lines and lines entries.

// Appends an entry per line (the loader checked each has two tabs), each
// with a new id.
void AppendEntriesFromLines(const cpStringArray& lines, std::vector<Entry>& entries);

// The entry as a line, its fields joined by tabs.
void AppendLegacyLine(const Entry& entry, SecretText& line);
