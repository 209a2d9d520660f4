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

// The new file carries a fixed prefix and is held under an advisory lock
// (flock) for as long as it exists. A replacement killed before its rename
// leaves it behind; every replacement first removes such leftovers from the
// destination's folder, and so does this call, beside path. A copy whose
// lock is held belongs to a running replacement and stays.
void RemoveLeftoverCopiesBeside(const char* path);
