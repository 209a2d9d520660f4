#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/wiping_allocator.h"

// Base64 as key files and fingerprints write it. Decoding skips line breaks
// and other white space; false for anything else that is not Base64.
bool DecodeBase64(std::string_view text, WipingBytes* bytes);
// Without the '=' padding, as fingerprints are printed.
std::string EncodeBase64Unpadded(std::span<const uint8_t> bytes);
