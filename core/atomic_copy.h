#pragma once

// Copies source into a new uniquely named file in destination's directory
// (created with the source's permission bits), fsyncs it, renames it over
// destination and fsyncs the directory. A reader never sees a half-written
// destination. On any failure the new file is removed, the destination is
// untouched and the result is false; only a failed sync of the directory after
// the rename gives false with the new contents already in place. The
// read-only bit of the destination is not looked at; that policy is the
// caller's.
bool AtomicCopyFile(const char* source, const char* destination);
