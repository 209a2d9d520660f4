#include "ssh_agent/ssh_private_key.h"

const char* DescribeSshKeyFault(SshKeyFault fault) {
  switch (fault) {
    case SshKeyFault::kNone:
      return "was read";
    case SshKeyFault::kNotAKey:
      return "is not an OpenSSH or PEM private key";
    case SshKeyFault::kDamaged:
      return "is damaged";
    case SshKeyFault::kNeedsPassphrase:
      return "is protected by a passphrase and the entry has no password";
    case SshKeyFault::kWrongPassphrase:
      return "does not open with the entry's password";
    case SshKeyFault::kUnsupportedType:
      return "is of a type Quillbox does not support (only Ed25519, ECDSA P-256/384/521 and RSA)";
    case SshKeyFault::kUnsupportedCipher:
      return "is encrypted with a cipher Quillbox does not support (it reads every cipher ssh-keygen writes)";
    case SshKeyFault::kEd25519Pkcs8WithPublicKey:
      return "is an Ed25519 key in PKCS#8 form with its public key included, which the installed OpenSSL cannot "
             "read (the form without the public key, or OpenSSH's own, can be read)";
    case SshKeyFault::kNoMemory:
      break;
  }
  return "could not be read: out of memory";
}

SshKeyFault ParseSshPrivateKey(std::string_view text, std::string_view passphrase, SshPrivateKey* key) {
  SshKeyFault fault = ParseOpenSshKey(text, passphrase, key);
  return fault == SshKeyFault::kNotAKey ? ParsePemKey(text, passphrase, key) : fault;
}
