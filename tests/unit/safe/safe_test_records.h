#pragma once

#include <cstdint>
#include <string>

// Little-endian fields of a safe file held in a std::string.
uint32_t Le32(const std::string& bytes, size_t offset);
void SetLe32(std::string& bytes, size_t offset, uint32_t value);

// A safe record built directly from the cipher primitives: the first length
// bytes of plaintext, however they look, padded with pad bytes.
std::string EncryptRecord(const std::string& password, const std::string& plaintext, size_t length, char pad = '\0');
inline std::string EncryptRecord(const std::string& password, const std::string& plaintext) {
  return EncryptRecord(password, plaintext, plaintext.size());
}
