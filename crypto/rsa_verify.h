#pragma once

#include <cstdint>
#include <span>

// Whether signature is an RSASSA-PKCS1-v1_5 signature with MD5 of the
// 16-byte digest under the public key of modulus and exponent (unsigned
// big-endian; OpenSSL's RSA). The signature must be as long as the modulus
// and its DigestInfo DER-exact, so no padding or encoding slack is accepted.
bool VerifyRsaPkcs1Md5(std::span<const uint8_t> digest, std::span<const uint8_t> signature,
                       std::span<const uint8_t> modulus, std::span<const uint8_t> exponent);
