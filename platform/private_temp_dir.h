#pragma once

#include <cstddef>

// The per-user temporary directory (the GetTempPath equivalent):
// ${TMPDIR:-/tmp}/quillbox-<uid>/, created 0700 on first use.

// Copies the directory's path, with a trailing '/', into buffer. False when
// it cannot be created, does not fit, or is not private to this user: a
// symlink, not a directory, owned by someone else, or open to group/other.
bool GetPrivateTempDir(char* buffer, size_t capacity);

// The same directory, created if need be, as an open descriptor (O_CLOEXEC)
// checked as above through the descriptor itself, so what was checked is what
// later openat calls reach. -1 on failure; the caller closes it.
int OpenPrivateTempDir();

// Removes the files named prefix and six characters that programs killed
// while writing them left in the directory; held ones (platform/temp_file.h)
// belong to running programs and stay. Each program does this as it starts.
void RemoveUnheldPrivateTempFiles(const char* prefix);
