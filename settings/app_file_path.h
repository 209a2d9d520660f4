#pragma once

#include <cstddef>

inline constexpr size_t kAppFilePathSize = 260;

// Names fileName in the running executable's folder, in buffer (at least
// kAppFilePathSize bytes). When the executable's path is unknown, or the
// result would not fit, the file is named in the filesystem root instead.
// With mustExist set the result is null unless the file opens for reading;
// it is null too when even "/" + fileName does not fit.
char* GetAppFilePath(const char* fileName, char* buffer, bool mustExist);
