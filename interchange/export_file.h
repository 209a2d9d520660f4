#pragma once

#include <string>
#include <string_view>

enum class ExportFileResult {
  kWritten,
  kExists,  // the file is there and replacing it was not asked for
  kFailed,  // see the message
};

// Writes bytes to path as a new 0600 file, atomically: a new file beside it,
// fsync, rename (or, without replace, a link that fails on an existing
// file), fsync of the folder. A reader never sees a half-written export, and
// on failure the old file, if any, stays as it was.
ExportFileResult WriteExportFile(const std::string& path, std::string_view bytes, bool replace, std::string* message);
