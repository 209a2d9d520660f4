#include "crypto/pem_private_key.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstring>
#include <memory>

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

bool RsaNumbers(const EVP_PKEY* pkey, PemPrivateKey* key) {
  return NumberOf(pkey, OSSL_PKEY_PARAM_RSA_N, &key->n) && NumberOf(pkey, OSSL_PKEY_PARAM_RSA_E, &key->e) &&
         NumberOf(pkey, OSSL_PKEY_PARAM_RSA_D, &key->d) &&
         NumberOf(pkey, OSSL_PKEY_PARAM_RSA_COEFFICIENT1, &key->iqmp) &&
         NumberOf(pkey, OSSL_PKEY_PARAM_RSA_FACTOR1, &key->p) && NumberOf(pkey, OSSL_PKEY_PARAM_RSA_FACTOR2, &key->q);
}

bool EcdsaNumbers(const EVP_PKEY* pkey, PemPrivateKey* key) {
  char group[64] = {};
  size_t pointSize = 0;
  if (EVP_PKEY_get_utf8_string_param(pkey, OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group, nullptr) != 1 ||
      EVP_PKEY_get_octet_string_param(pkey, OSSL_PKEY_PARAM_ENCODED_PUBLIC_KEY, nullptr, 0, &pointSize) != 1) {
    return false;
  }
  key->curve = group;
  key->point.resize(pointSize);
  return EVP_PKEY_get_octet_string_param(pkey, OSSL_PKEY_PARAM_ENCODED_PUBLIC_KEY, key->point.data(), key->point.size(),
                                         &pointSize) == 1 &&
         NumberOf(pkey, OSSL_PKEY_PARAM_PRIV_KEY, &key->scalar);
}

bool Ed25519Numbers(const EVP_PKEY* pkey, PemPrivateKey* key) {
  key->publicKey.assign(32, 0);
  key->seed.assign(32, 0);
  size_t publicSize = 32, seedSize = 32;
  return EVP_PKEY_get_raw_public_key(pkey, key->publicKey.data(), &publicSize) == 1 && publicSize == 32 &&
         EVP_PKEY_get_raw_private_key(pkey, key->seed.data(), &seedSize) == 1 && seedSize == 32;
}

}  // namespace

PemRead ReadPemPrivateKey(std::string_view text, std::string_view passphrase, PemPrivateKey* key) {
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(text.data(), static_cast<int>(text.size())), BIO_free);
  if (bio == nullptr) return PemRead::kNoMemory;
  Passphrase given{passphrase};
  ERR_clear_error();
  Pkey pkey(PEM_read_bio_PrivateKey(bio.get(), nullptr, GivePassphrase, &given), EVP_PKEY_free);
  ERR_clear_error();
  if (pkey == nullptr) {
    if (!given.asked) return PemRead::kUnreadable;
    return passphrase.empty() ? PemRead::kNeedsPassphrase : PemRead::kWrongPassphrase;
  }
  bool read = true;
  switch (EVP_PKEY_get_base_id(pkey.get())) {
    case EVP_PKEY_RSA:
      key->kind = PemPrivateKey::Kind::kRsa;
      read = RsaNumbers(pkey.get(), key);
      break;
    case EVP_PKEY_EC:
      key->kind = PemPrivateKey::Kind::kEcdsa;
      read = EcdsaNumbers(pkey.get(), key);
      break;
    case EVP_PKEY_ED25519:
      key->kind = PemPrivateKey::Kind::kEd25519;
      read = Ed25519Numbers(pkey.get(), key);
      break;
    default:
      key->kind = PemPrivateKey::Kind::kOther;
  }
  return read ? PemRead::kRead : PemRead::kIncomplete;
}

// A SEQUENCE, then version 1 and the algorithm 1.3.101.112, which no other
// key starts with.
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
