#pragma once

#include <string>

#include "core/cpstringarray.h"

// What the safe loaders' fuzz targets share.

// Aborts, so the fuzzer reports the input, unless condition holds.
void Require(bool condition);

// Safes of this process live in a private folder of its own, removed at exit.
void PlaceSafesInTempFolder();

// Writes file as the safe of user "fuzz".
void WriteFuzzSafe(const std::string& file);

// A load's promise: on success only lines of three fields of at most 260
// characters; on failure the list as it was (one line "before") or emptied.
void CheckLoadResult(bool loaded, const cpStringArray& entries);
