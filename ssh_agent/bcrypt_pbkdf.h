#pragma once

#include <cstdint>
#include <span>

// OpenBSD's bcrypt_pbkdf, the key derivation of passphrase-protected
// OpenSSH private keys. False for inputs it does not define (no rounds, an
// empty password or salt, a key longer than 1024 bytes).
bool BcryptPbkdf(std::span<const uint8_t> password, std::span<const uint8_t> salt, unsigned rounds,
                 std::span<uint8_t> key);
