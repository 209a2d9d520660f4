#pragma once

#include <string>

#include "core/wiping_allocator.h"

// Reads a key file for a protected file's FileKey: the whole file, which
// must be a regular one of at most kMaxKeyFileBytes. False with a one-line
// reason naming the file; nothing is left in bytes then.
inline constexpr size_t kMaxKeyFileBytes = size_t{16} << 20;
bool ReadKeyFileBytes(const std::string& path, WipingBytes* bytes, std::string* error);
