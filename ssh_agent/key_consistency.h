#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// Whether a private key's secret half makes its public half, so that a
// damaged file is caught here rather than by a signature that fails later.
// Numbers are unsigned big-endian magnitudes.
bool Ed25519SeedMakes(std::span<const uint8_t> seed, std::span<const uint8_t> publicKey);
// curve: an OpenSSL curve name ("prime256v1"); point uncompressed.
bool EcdsaScalarMakes(const char* curve, std::span<const uint8_t> scalar, std::span<const uint8_t> point);
bool RsaFactorsMake(std::span<const uint8_t> p, std::span<const uint8_t> q, std::span<const uint8_t> n);
