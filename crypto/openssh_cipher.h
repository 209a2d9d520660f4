#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// The ciphers of OpenSSH's private key files ("openssh-key-v1"), by the
// names `ssh-keygen -Z` takes (every one `ssh -Q cipher` lists). The key
// and IV come from bcrypt_pbkdf, keySize + ivSize bytes of it.
struct OpenSshCipher {
  std::string_view name;
  size_t keySize, ivSize;
  size_t blockSize;  // the private section is a whole number of these
  size_t tagSize;    // 0, or the tag that follows the private section
};

// Null for a name OpenSSH does not write.
const OpenSshCipher* FindOpenSshCipher(std::string_view name);

enum class OpenSshOpen {
  kOpened,
  kTagMismatch,  // a wrong passphrase as much as a damaged file
  kFailed,       // out of memory, or the library refused the cipher
};

// Decrypts sealed into plain (of the same size) under keyAndIv; an
// authenticated cipher checks tag first and writes nothing on a mismatch.
OpenSshOpen OpenOpenSshSection(const OpenSshCipher& cipher, std::span<const uint8_t> keyAndIv,
                               std::span<const uint8_t> sealed, std::span<const uint8_t> tag, std::span<uint8_t> plain);
