#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

// The hashes KDBX builds its keys and checks from, each over the parts
// given one after another (OpenSSL's).
using Sha256Digest = std::array<uint8_t, 32>;
using Sha512Digest = std::array<uint8_t, 64>;

void Sha256(std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[32]);
void Sha512(std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[64]);
void HmacSha256(std::span<const uint8_t> key, std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[32]);
// Constant time, so a check tells nothing of where the bytes differ.
bool SameDigest(std::span<const uint8_t> a, std::span<const uint8_t> b);
