#pragma once

#include <openssl/types.h>

#include <vector>

using Bytes = std::vector<unsigned char>;

// The installer's MD5 digest as the signature file carries it.
Bytes InstallerDigest(const Bytes& installer);

// A signature file for the installer: its digest, the signature length and the
// PKCS #1 v1.5 (MD5) signature. The result is checked against the key's own
// public half before it is returned; empty on any failure, including a key
// whose sizes Quillbox cannot hold.
Bytes MakeSignatureFile(const Bytes& installer, EVP_PKEY* privateKey);

enum class SignatureCheck { Valid, BadSignature, DigestMismatch };

// Checks the signature with the given public key, then that the signed digest
// is the installer's.
SignatureCheck CheckSignatureFile(const Bytes& signatureFile, const Bytes& installer, const Bytes& modulus,
                                  const Bytes& exponent);
