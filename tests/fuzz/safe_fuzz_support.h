#pragma once

#include <string>

#include "safe/entry.h"

// What the safe loaders' fuzz targets share.

// Aborts, so the fuzzer reports the input, unless condition holds.
void Require(bool condition);

// Safes of this process live in a private folder of its own, removed at exit.
void PlaceSafesInTempFolder();

// Writes file as the safe of user "fuzz".
void WriteFuzzSafe(const std::string& file);

// A list of one entry titled "before", to see whether a load changed it.
EntryList ListBefore();

// A load's promise: on success only entries that fit the strong format's
// limits, each with an id; on failure the list as it was or emptied.
void CheckLoadResult(bool loaded, const EntryList& entries);
