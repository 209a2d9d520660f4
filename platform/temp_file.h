#pragma once

#include <cstddef>

// A new, uniquely named, empty file (the GetTempFileName equivalent),
// created with mode 0600 so that nobody else can read what goes into it.
// The file is held (core/held_temp_file.h) until RemoveTempFile, so a
// sweep of the folder by another program's start leaves it alone.

// directory ends with '/'. On success path holds the new file's name.
bool CreateTempFile(const char* directory, const char* prefix, char* path, size_t capacity);

// Removes a file CreateTempFile made and lets go of it.
void RemoveTempFile(const char* path);
