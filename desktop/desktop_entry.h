#pragma once

#include <string>

// Text of an XDG desktop entry that starts program with no arguments.
// The path is quoted and escaped so that any path (spaces, quotes,
// backslashes, '$', '%', newlines) reaches the launcher unchanged.
std::string BuildAutostartEntry(const std::string& program);

// The Exec= value for program alone, escaped for a desktop entry file.
std::string FormatDesktopExec(const std::string& program);
