#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "safe/entry.h"

// The entries, by index in list order, that auto-type offers for a window
// with this title: an entry whose title, or whose web address's host,
// stands in the window's title (case aside), or one of whose Window field's
// patterns (one a line, "*" for any run) matches the whole title.
std::vector<size_t> EntriesForWindow(std::string_view windowTitle, const std::vector<Entry>& entries);

// Whether the pattern matches all of the (already folded) title.
bool WindowPatternMatches(std::string_view foldedPattern, std::string_view foldedTitle);
