#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/wiping_allocator.h"

// Standard base64 with padding, in whole groups of four characters and no
// white space (OpenSSL's block coding); the callers take white space out.

// False for a length that is not whole groups or a character outside the
// alphabet.
bool DecodeBase64Block(std::string_view text, WipingBytes* bytes);
std::string EncodeBase64Block(std::span<const uint8_t> bytes);
