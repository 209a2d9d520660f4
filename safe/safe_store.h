#pragma once

#include <cstddef>
#include <functional>

#include "core/cpstringarray.h"

// The safe store: one encrypted ".SAFE" file per user in the safe folder.
// Nothing is kept between calls and nothing is shown; results say what happened.

inline constexpr size_t kSafePathCapacity = 260;

// The user's safe path, "<safe folder><userName>.SAFE" (safe/safe_folder.h),
// into a buffer of kSafePathCapacity bytes. Beside the executable it falls
// back to "/<userName>.SAFE" when the executable's path is unknown or the
// result would be too long. False, with an empty path, for a name holding
// '/', a path too long for a chosen folder, or too long even for "/".
bool BuildSafePath(const char* userName, char* path);

// Whether the user's safe can be opened for reading.
bool SafeExists(const char* userName);

// Removes the user's safe if it can.
void DeleteSafe(const char* userName);

// Encrypts the entry lines under the password and replaces the user's safe
// with them, atomically: the file holds the old list or the new one.
bool SaveSafe(const char* userName, const char* password, const cpStringArray& entries);

// Reads and checks the user's safe. With verifyOnly the file is only checked
// and entries is left alone; otherwise a verify pass runs first, then a full
// pass replaces entries with the safe's lines and calls refreshList.
// A wrong password or unreadable file leaves entries untouched; lines that
// are not three tab-separated fields empty it and fail.
bool LoadSafe(const char* userName, const char* password, cpStringArray& entries,
              bool verifyOnly = false, const std::function<void()>& refreshList = {});
