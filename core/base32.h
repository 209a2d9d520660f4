#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/secret_text.h"
#include "core/wiping_allocator.h"

// RFC 4648 base32, the way one-time-code secrets are written down.

// Reads base32 as people paste it: upper or lower case, spaces anywhere,
// '=' padding at the end or none. False, with out emptied, on any other
// character or a length no encoder writes.
bool DecodeBase32(std::string_view text, WipingBytes& out);

// Upper case and without padding, as otpauth:// URIs carry it.
SecretText EncodeBase32(const uint8_t* data, size_t size);
