#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstring>
#include <memory>

#include "ssh_agent/ssh_key_fields.h"
#include "ssh_agent/ssh_private_key.h"

namespace {

using Pkey = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

struct Passphrase {
  std::string_view text;
  bool asked = false;
};

int GivePassphrase(char* buffer, int size, int, void* data) {
  auto* passphrase = static_cast<Passphrase*>(data);
  passphrase->asked = true;
  if (passphrase->text.empty() || passphrase->text.size() > static_cast<size_t>(size)) return -1;
  memcpy(buffer, passphrase->text.data(), passphrase->text.size());
  return static_cast<int>(passphrase->text.size());
}

// A number of the key as big-endian bytes, wiped when dropped.
bool NumberOf(const EVP_PKEY* pkey, const char* name, WipingBytes* bytes) {
  BIGNUM* number = nullptr;
  if (EVP_PKEY_get_bn_param(pkey, name, &number) != 1) return false;
  bytes->assign(static_cast<size_t>(BN_num_bytes(number)), 0);
  BN_bn2bin(number, bytes->data());
  BN_clear_free(number);
  return true;
}

SshKeyFault RsaKey(const EVP_PKEY* pkey, SshPrivateKey* key) {
  WipingBytes n, e, d, iqmp, p, q;
  // OpenSSH's iqmp is q^-1 mod p, which OpenSSL calls the first coefficient.
  if (!NumberOf(pkey, OSSL_PKEY_PARAM_RSA_N, &n) || !NumberOf(pkey, OSSL_PKEY_PARAM_RSA_E, &e) ||
      !NumberOf(pkey, OSSL_PKEY_PARAM_RSA_D, &d) || !NumberOf(pkey, OSSL_PKEY_PARAM_RSA_COEFFICIENT1, &iqmp) ||
      !NumberOf(pkey, OSSL_PKEY_PARAM_RSA_FACTOR1, &p) || !NumberOf(pkey, OSSL_PKEY_PARAM_RSA_FACTOR2, &q)) {
    return SshKeyFault::kDamaged;
  }
  return BuildRsaKey({n, e, d, iqmp, p, q}, key);
}

SshKeyFault EcdsaKey(const EVP_PKEY* pkey, SshPrivateKey* key) {
  char group[64] = {};
  if (EVP_PKEY_get_utf8_string_param(pkey, OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group, nullptr) != 1) {
    return SshKeyFault::kDamaged;
  }
  std::string_view name = group;
  std::string_view curve = name == "prime256v1"  ? "nistp256"
                           : name == "secp384r1" ? "nistp384"
                           : name == "secp521r1" ? "nistp521"
                                                 : "";
  if (curve.empty()) return SshKeyFault::kUnsupportedType;
  uint8_t point[1 + 2 * 66];
  size_t pointSize = 0;
  WipingBytes scalar;
  if (EVP_PKEY_get_octet_string_param(pkey, OSSL_PKEY_PARAM_ENCODED_PUBLIC_KEY, point, sizeof point, &pointSize) != 1 ||
      !NumberOf(pkey, OSSL_PKEY_PARAM_PRIV_KEY, &scalar)) {
    return SshKeyFault::kDamaged;
  }
  return BuildEcdsaKey(curve, {point, pointSize}, scalar, key);
}

SshKeyFault Ed25519Key(const EVP_PKEY* pkey, SshPrivateKey* key) {
  uint8_t publicKey[32];
  WipingBytes privateKey(64);
  size_t publicSize = sizeof publicKey, seedSize = 32;
  if (EVP_PKEY_get_raw_public_key(pkey, publicKey, &publicSize) != 1 || publicSize != 32 ||
      EVP_PKEY_get_raw_private_key(pkey, privateKey.data(), &seedSize) != 1 || seedSize != 32) {
    return SshKeyFault::kDamaged;
  }
  memcpy(privateKey.data() + 32, publicKey, 32);
  return BuildEd25519Key(publicKey, privateKey, key);
}

// PKCS#8 version 2 (RFC 5958) of an Ed25519 key: a SEQUENCE, then version
// 1 and the algorithm 1.3.101.112, which no other key starts with.
bool IsEd25519Pkcs8WithPublicKey(std::string_view text) {
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(text.data(), static_cast<int>(text.size())), BIO_free);
  char* name = nullptr;
  char* header = nullptr;
  unsigned char* der = nullptr;
  long size = 0;
  const bool read = bio != nullptr && PEM_read_bio(bio.get(), &name, &header, &der, &size) == 1;
  ERR_clear_error();
  if (!read) return false;
  static constexpr uint8_t kAfterLength[] = {0x02, 0x01, 0x01, 0x30, 0x05, 0x06, 0x03, 0x2b, 0x65, 0x70};
  // The outer length is one byte, or 0x81 and one byte.
  const long at = size > 1 && der[1] == 0x81 ? 3 : 2;
  bool is = strcmp(name, "PRIVATE KEY") == 0 && size >= at + static_cast<long>(sizeof kAfterLength) && der[0] == 0x30 &&
            memcmp(der + at, kAfterLength, sizeof kAfterLength) == 0;
  OPENSSL_free(name);
  OPENSSL_free(header);
  OPENSSL_clear_free(der, static_cast<size_t>(size));
  return is;
}

}  // namespace

SshKeyFault ParsePemKey(std::string_view text, std::string_view passphrase, SshPrivateKey* key) {
  if (text.find("-----BEGIN ") == std::string_view::npos || text.find(" PRIVATE KEY-----") == std::string_view::npos) {
    return SshKeyFault::kNotAKey;
  }
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(text.data(), static_cast<int>(text.size())), BIO_free);
  if (bio == nullptr) return SshKeyFault::kNoMemory;
  Passphrase given{passphrase};
  ERR_clear_error();
  Pkey pkey(PEM_read_bio_PrivateKey(bio.get(), nullptr, GivePassphrase, &given), EVP_PKEY_free);
  ERR_clear_error();
  if (pkey == nullptr) {
    if (given.asked) return passphrase.empty() ? SshKeyFault::kNeedsPassphrase : SshKeyFault::kWrongPassphrase;
    return IsEd25519Pkcs8WithPublicKey(text) ? SshKeyFault::kEd25519Pkcs8WithPublicKey : SshKeyFault::kDamaged;
  }
  key->comment.clear();
  switch (EVP_PKEY_get_base_id(pkey.get())) {
    case EVP_PKEY_RSA:
      return RsaKey(pkey.get(), key);
    case EVP_PKEY_EC:
      return EcdsaKey(pkey.get(), key);
    case EVP_PKEY_ED25519:
      return Ed25519Key(pkey.get(), key);
    default:
      return SshKeyFault::kUnsupportedType;
  }
}
