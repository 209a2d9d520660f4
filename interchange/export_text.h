#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <vector>

#include "safe/entry.h"

// Helpers the writers share. An export holds every password, so each writer
// reserves its output once (ReserveForExport) and growth never leaves a copy.

// Reserves room for the entries written with per_entry bytes of markup
// each, every field possibly six times longer once converted and escaped.
void ReserveForExport(const std::vector<Entry>& entries, size_t per_entry, std::string* out);
// The bytes of an entry's texts together, each field of the longest entry
// fitting in a scratch buffer of three times this once converted.
size_t EntryTextSize(const Entry& entry);
size_t LongestEntryLine(const std::vector<Entry>& entries);

// XML character data with &, <, > and " escaped. False when the text holds
// a control character XML 1.0 cannot carry at all.
bool AppendXmlEscaped(std::string_view utf8, std::string* out);
// A JSON string literal, quotes included.
void AppendJsonString(std::string_view utf8, std::string* out);
