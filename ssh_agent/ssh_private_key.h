#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/wiping_allocator.h"

// A private key ready for the agent: its type, the public key blob that
// names it, the key's fields in the agent's own order (ADD_IDENTITY's body
// between the type and the comment, which is the private section of an
// OpenSSH key file too) and its comment.
struct SshPrivateKey {
  std::string type;  // "ssh-ed25519", "ecdsa-sha2-nistp256", "ssh-rsa", ...
  std::vector<uint8_t> publicBlob;
  WipingBytes fields;
  std::string comment;
};

enum class SshKeyFault {
  kNone,
  kNotAKey,          // neither an OpenSSH nor a PEM private key
  kDamaged,          // the right shape on the outside, wrong inside
  kNeedsPassphrase,  // encrypted, and no passphrase was given
  kWrongPassphrase,
  kUnsupportedType,    // DSA, security keys, certificates, other curves
  kUnsupportedCipher,  // encrypted with a cipher OpenSSH does not write
  // PKCS#8 version 2 (the public key included), which OpenSSL 3.0 and so
  // ssh-keygen cannot read either: told as what it is, not as damage.
  kEd25519Pkcs8WithPublicKey,
  kNoMemory,
};

// One line for people, without a full stop, to follow "the SSH key ".
const char* DescribeSshKeyFault(SshKeyFault fault);

// Reads an OpenSSH ("openssh-key-v1") or PEM (PKCS#1, PKCS#8, SEC1) private
// key; passphrase opens an encrypted one and is ignored otherwise.
SshKeyFault ParseSshPrivateKey(std::string_view text, std::string_view passphrase, SshPrivateKey* key);

// The halves ParseSshPrivateKey picks between.
SshKeyFault ParseOpenSshKey(std::string_view text, std::string_view passphrase, SshPrivateKey* key);
SshKeyFault ParsePemKey(std::string_view text, std::string_view passphrase, SshPrivateKey* key);
