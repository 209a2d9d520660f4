#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// PBKDF2 with HMAC-SHA-256 (RFC 8018, OpenSSL's). False when OpenSSL fails
// or a size or the iterations are beyond an int; out is wiped then.
bool Pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt, uint32_t iterations,
                  std::span<uint8_t> out);
