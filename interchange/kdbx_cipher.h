#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/wiping_allocator.h"

// The outer cipher of a KDBX file's payload, each from crypto/: AES-256-CBC,
// ChaCha20 and Twofish-CBC (KeePass's plug-in).
enum class KdbxCipher { kAes256Cbc, kChaCha20, kTwofishCbc };

// False, with the reason, for unknown ciphers.
bool CipherOfUuid(std::string_view uuid, KdbxCipher* cipher, std::string* error);
std::string_view UuidOfCipher(KdbxCipher cipher);
size_t CipherIvSize(KdbxCipher cipher);

// False when the cipher refuses, which for the CBC ciphers includes bad
// padding (a wrong key, when nothing checked the key before).
bool DecryptPayload(KdbxCipher cipher, const uint8_t key[32], std::string_view iv, std::span<const uint8_t> in,
                    WipingBytes* out);
bool EncryptPayload(KdbxCipher cipher, const uint8_t key[32], std::string_view iv, std::span<const uint8_t> in,
                    std::string* out);
