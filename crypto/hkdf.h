#pragma once

#include <cstdint>
#include <span>

// HKDF with SHA-256 (RFC 5869, OpenSSL's). False when OpenSSL fails or out
// is longer than 255 hashes; out is wiped then.

// Extract and expand; an empty salt is the RFC's default of zeros.
bool HkdfSha256(std::span<const uint8_t> key, std::span<const uint8_t> salt, std::span<const uint8_t> info,
                std::span<uint8_t> out);
// The expand step alone, for a key that is already pseudorandom.
bool HkdfSha256Expand(std::span<const uint8_t> key, std::span<const uint8_t> info, std::span<uint8_t> out);
