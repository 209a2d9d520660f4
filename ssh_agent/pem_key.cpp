#include <cstring>

#include "crypto/pem_private_key.h"
#include "ssh_agent/ssh_key_fields.h"
#include "ssh_agent/ssh_private_key.h"

namespace {

SshKeyFault EcdsaKey(const PemPrivateKey& pem, SshPrivateKey* key) {
  std::string_view name = pem.curve;
  std::string_view curve = name == "prime256v1"  ? "nistp256"
                           : name == "secp384r1" ? "nistp384"
                           : name == "secp521r1" ? "nistp521"
                                                 : "";
  if (curve.empty()) return SshKeyFault::kUnsupportedType;
  return BuildEcdsaKey(curve, pem.point, pem.scalar, key);
}

SshKeyFault Ed25519Key(const PemPrivateKey& pem, SshPrivateKey* key) {
  WipingBytes privateKey(64);
  memcpy(privateKey.data(), pem.seed.data(), 32);
  memcpy(privateKey.data() + 32, pem.publicKey.data(), 32);
  return BuildEd25519Key(pem.publicKey, privateKey, key);
}

}  // namespace

SshKeyFault ParsePemKey(std::string_view text, std::string_view passphrase, SshPrivateKey* key) {
  if (text.find("-----BEGIN ") == std::string_view::npos || text.find(" PRIVATE KEY-----") == std::string_view::npos) {
    return SshKeyFault::kNotAKey;
  }
  PemPrivateKey pem;
  PemRead read = ReadPemPrivateKey(text, passphrase, &pem);
  if (read == PemRead::kRead || read == PemRead::kIncomplete) key->comment.clear();
  switch (read) {
    case PemRead::kRead:
      break;
    case PemRead::kIncomplete:
      return SshKeyFault::kDamaged;
    case PemRead::kNeedsPassphrase:
      return SshKeyFault::kNeedsPassphrase;
    case PemRead::kWrongPassphrase:
      return SshKeyFault::kWrongPassphrase;
    case PemRead::kNoMemory:
      return SshKeyFault::kNoMemory;
    case PemRead::kUnreadable:
      return IsEd25519Pkcs8WithPublicKey(text) ? SshKeyFault::kEd25519Pkcs8WithPublicKey : SshKeyFault::kDamaged;
  }
  switch (pem.kind) {
    case PemPrivateKey::Kind::kRsa:
      return BuildRsaKey({pem.n, pem.e, pem.d, pem.iqmp, pem.p, pem.q}, key);
    case PemPrivateKey::Kind::kEcdsa:
      return EcdsaKey(pem, key);
    case PemPrivateKey::Kind::kEd25519:
      return Ed25519Key(pem, key);
    case PemPrivateKey::Kind::kOther:
      break;
  }
  return SshKeyFault::kUnsupportedType;
}
