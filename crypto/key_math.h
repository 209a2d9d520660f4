#pragma once

#include <cstdint>
#include <span>
#include <vector>

// The arithmetic that checks a private key against its public half
// (OpenSSL's). Numbers are unsigned big-endian magnitudes; each is false
// when the library refuses the input or runs out of memory.

// seed must be 32 bytes.
bool Ed25519PublicKeyOf(std::span<const uint8_t> seed, uint8_t publicKey[32]);
// curve: an OpenSSL curve name ("prime256v1"); the point comes uncompressed.
bool EcdsaPublicPointOf(const char* curve, std::span<const uint8_t> scalar, std::vector<uint8_t>* point);
// Whether a times b is product, leading zero bytes aside.
bool ProductIs(std::span<const uint8_t> a, std::span<const uint8_t> b, std::span<const uint8_t> product);
