#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/wiping_allocator.h"

// A private key in a PEM file as OpenSSL reads it (PKCS#1, SEC 1 or
// PKCS#8, encrypted or not), as the numbers of its kind. Numbers are
// unsigned big-endian magnitudes; the secret ones are wiped when dropped.
struct PemPrivateKey {
  enum class Kind { kRsa, kEcdsa, kEd25519, kOther };
  Kind kind = Kind::kOther;
  // RSA; iqmp is q^-1 mod p, which OpenSSL calls the first coefficient.
  WipingBytes n, e, d, iqmp, p, q;
  // ECDSA: OpenSSL's name of the curve ("prime256v1"), the point
  // uncompressed and the private scalar.
  std::string curve;
  std::vector<uint8_t> point;
  WipingBytes scalar;
  // Ed25519: the 32-byte public key and seed.
  std::vector<uint8_t> publicKey;
  WipingBytes seed;
};

enum class PemRead {
  kRead,
  kNeedsPassphrase,
  kWrongPassphrase,
  kUnreadable,  // no key OpenSSL can read
  kIncomplete,  // a key of the kind set, one of whose numbers is missing
  kNoMemory,
};

PemRead ReadPemPrivateKey(std::string_view text, std::string_view passphrase, PemPrivateKey* key);

// Whether text's first PEM block is a PKCS#8 version 2 (RFC 5958) Ed25519
// key, which carries its public key and which OpenSSL 3 does not read.
bool IsEd25519Pkcs8WithPublicKey(std::string_view text);
