#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

// The SHA digests (OpenSSL's), each over the parts given one after another.
// Hashing in memory fails only when memory does, and nothing sane follows:
// they abort then rather than hand back bytes that are no digest.
void Sha1(std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[20]);
void Sha256(std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[32]);
void Sha512(std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[64]);
// Constant time, so a check tells nothing of where the bytes differ.
bool SameDigest(std::span<const uint8_t> a, std::span<const uint8_t> b);
