#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Base64 as KeePass writes it (the standard alphabet, padded), read
// leniently as KeePass-family readers do: white space anywhere and missing
// padding are accepted. Table-driven, for the many short values of a
// database; what it decodes there is either ciphertext or no secret.

// The bytes of text into out, which may be text itself (each byte is
// written behind the one read) and must hold Base64DecodedRoom(size);
// false when text is no Base64.
bool DecodeBase64(const char* text, size_t size, uint8_t* out, size_t* decoded);
constexpr size_t Base64DecodedRoom(size_t text_size) { return text_size / 4 * 3 + 2; }

void AppendBase64(std::span<const uint8_t> bytes, std::string* out);
constexpr size_t Base64Size(size_t bytes) { return (bytes + 2) / 3 * 4; }
