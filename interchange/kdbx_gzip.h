#pragma once

#include <span>
#include <string>

#include "core/wiping_allocator.h"

// The most a payload may inflate to: 256 times its compressed size (at
// least 1 MiB), and never more than 1 GiB; a gzip bomb stops there.
size_t MaxInflatedSize(size_t compressed_size);

// zlib's gzip. False, with the reason, for a damaged stream or one that
// inflates past MaxInflatedSize.
bool Gunzip(std::span<const uint8_t> compressed, WipingBytes* out, std::string* error);
bool Gzip(std::span<const uint8_t> plain, WipingBytes* out);
