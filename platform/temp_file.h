#pragma once

#include <cstddef>

// A new, uniquely named, empty file (the GetTempFileName equivalent),
// created with mode 0600 so that nobody else can read what goes into it.

// directory ends with '/'. On success path holds the new file's name.
bool CreateTempFile(const char* directory, const char* prefix, char* path, size_t capacity);
