#pragma once

#include <cstddef>
#include <cstdint>

// Whole-file helpers. Failures are reported as false or null.

// The largest file a cpBuffer holds.
inline constexpr uint64_t kMaxWholeFileSize = 0xFFFFFFFEu;

// False for a null or empty path, a directory or anything that cannot be
// opened for reading.
bool FileExists(const char* path);

// Writes length bytes to path, or to path + ".tmp" that then replaces path
// through CopyOverFile. The file written must not be read-only (owner-write
// bit clear). A failed write leaves no partial file behind; true only when
// the bytes reached path.
bool WriteBytesToFile(const char* path, const void* data, size_t length, bool throughTemporary);

// Makes the destination writable (owner-write bit), atomically replaces it
// with a copy of the source, then removes the source. False when the copy
// failed (the destination is then untouched).
bool CopyOverFile(const char* source, const char* destination);

// The text after the last '\\', '/' or ':'; empty (the path's end) when the
// path ends with one of them or is empty. Null for a null path.
const char* FileNamePart(const char* path);
inline char* FileNamePart(char* path) { return const_cast<char*>(FileNamePart(static_cast<const char*>(path))); }
