#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/hive_document.h"

// Hive files are tiny; anything larger is refused before it is read, and a
// change that would grow a hive past this is not written.
inline constexpr size_t kMaxHiveFileSize = 4u << 20;

// Reads the hive file's text (capped as above). A missing file is empty text.
// Results are hive status numbers (platform/hive_key.h).
long ReadHiveText(const std::string& path, std::string* text);

// Loads the hive file into *document. A missing file is an empty document.
// Results are hive status numbers (platform/hive_key.h).
long LoadHiveFile(const std::string& path, WHiveDocument* document);

// kHiveSuccess when the hive's folder exists and it and the file (if it
// exists) can be written. A file without its owner-write bit counts as
// read-only, also for root. Creates nothing.
long CheckHiveWritable(const std::string& path);

// Creates the hive's folder (0700) when missing, then CheckHiveWritable.
long PrepareHiveForWriting(const std::string& path);

// Locked read-modify-write: under flock on path + ".lock" the file is
// loaded, edit changes the document and returns whether anything changed,
// and a changed document replaces the file atomically (new file in the same
// folder, fsync, rename, fsync of the folder). A crash leaves the old or the
// new file, never a torn one.
long UpdateHiveFile(const std::string& path, const std::function<bool(WHiveDocument&)>& edit);
