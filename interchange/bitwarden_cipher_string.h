#pragma once

#include <string_view>

#include "core/wiping_allocator.h"
#include "interchange/bitwarden_export_key.h"

// One value of a Bitwarden export, "2.<iv>|<ciphertext>|<mac>" in base64:
// AES-256-CBC with HMAC-SHA256 over iv and ciphertext.
enum class CipherStringResult {
  kOpened,
  kMalformed,   // not that shape, or the padding is wrong after a good MAC
  kMacMismatch  // another key, or a changed byte
};

// Checks the MAC before anything is decrypted; plain holds the value only
// when opened.
CipherStringResult OpenCipherString(std::string_view text, const BitwardenKeys& keys, WipingString* plain);
