#pragma once

#include <cstddef>
#include <cstdint>

// Signature file layout: the installer's MD5 digest, a length byte L, then an
// RSASSA-PKCS1-v1_5 (MD5) signature of L bytes over that digest. Bytes after
// the signature are not read.
inline constexpr size_t kSignatureDigestSize = 16;
inline constexpr size_t kSignatureHeaderSize = kSignatureDigestSize + 1;

// Checks a signature file against the given public key.
bool VerifySignatureWithKey(const unsigned char* data, size_t length, const unsigned char* modulus,
                            size_t modulusLength, const unsigned char* exponent, size_t exponentLength);

// Checks a signature file against the key built into Quillbox.
bool VerifyUpdateSignature(const unsigned char* data, size_t length);
