#pragma once

#include <openssl/types.h>

#include <string>
#include <vector>

// The publisher's RSA key pair as PEM files in the formats of the openssl
// command line: PKCS #8 private keys (genpkey) and SubjectPublicKeyInfo
// public keys (pkey -pubout).

inline constexpr int kPublisherKeyBits = 1024;
inline constexpr unsigned kPublisherKeyExponent = 17;  // must fit one byte

// A new key pair with the sizes the embedded key format requires; null on
// failure. The caller releases it with EVP_PKEY_free.
EVP_PKEY* GeneratePublisherKey();

// Writes the private key to a new file created 0600; an existing file is
// never replaced. Writes the public key to its own file.
bool WritePrivateKeyFile(const char* path, EVP_PKEY* key);
bool WritePublicKeyFile(const char* path, EVP_PKEY* key);

// Null when the file is missing or holds no key of that kind.
EVP_PKEY* ReadPrivateKeyFile(const char* path);
EVP_PKEY* ReadPublicKeyFile(const char* path);

// The key's modulus and exponent as big-endian bytes, as the signature check
// takes them. False for a key that is not RSA.
bool GetRsaPublicParts(EVP_PKEY* key, std::vector<unsigned char>& modulus, std::vector<unsigned char>& exponent);

// C++ source defining the embedded key (kUpdateKeyModulus, kUpdateKeyExponent);
// empty when the key does not have the embedded sizes.
std::string FormatEmbeddedKeySource(EVP_PKEY* key);
