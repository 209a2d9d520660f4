#include "tools/quillbox-sign/publisher_key.h"

#include <fcntl.h>
#include <unistd.h>

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdio>

#include "update/update_key.h"

EVP_PKEY* GeneratePublisherKey() {
  EVP_PKEY_CTX* context = EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr);
  if (context == nullptr) return nullptr;
  EVP_PKEY* key = nullptr;
  BIGNUM* exponent = BN_new();
  if (exponent != nullptr && BN_set_word(exponent, kPublisherKeyExponent) == 1 && EVP_PKEY_keygen_init(context) == 1 &&
      EVP_PKEY_CTX_set_rsa_keygen_bits(context, kPublisherKeyBits) == 1 &&
      EVP_PKEY_CTX_set1_rsa_keygen_pubexp(context, exponent) == 1) {
    EVP_PKEY_generate(context, &key);
  }
  BN_free(exponent);
  EVP_PKEY_CTX_free(context);
  return key;
}

bool WritePrivateKeyFile(const char* path, EVP_PKEY* key) {
  // 0600 from the start and O_EXCL: a private key is never briefly readable
  // by others and never overwrites an existing one.
  int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    close(fd);
    unlink(path);
    return false;
  }
  bool written = PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  written = (fclose(file) == 0) && written;
  if (!written) unlink(path);
  return written;
}

bool WritePublicKeyFile(const char* path, EVP_PKEY* key) {
  FILE* file = fopen(path, "wb");
  if (file == nullptr) return false;
  bool written = PEM_write_PUBKEY(file, key) == 1;
  written = (fclose(file) == 0) && written;
  if (!written) unlink(path);
  return written;
}

using PemKeyReader = EVP_PKEY* (*)(FILE*, EVP_PKEY**, pem_password_cb*, void*);

static EVP_PKEY* ReadPemKeyFile(const char* path, PemKeyReader read) {
  FILE* file = fopen(path, "rb");
  if (file == nullptr) return nullptr;
  EVP_PKEY* key = read(file, nullptr, nullptr, nullptr);
  fclose(file);
  return key;
}

EVP_PKEY* ReadPrivateKeyFile(const char* path) { return ReadPemKeyFile(path, PEM_read_PrivateKey); }

EVP_PKEY* ReadPublicKeyFile(const char* path) { return ReadPemKeyFile(path, PEM_read_PUBKEY); }

static bool GetBigEndianParam(EVP_PKEY* key, const char* name, std::vector<unsigned char>& out) {
  BIGNUM* value = nullptr;
  if (EVP_PKEY_get_bn_param(key, name, &value) != 1) return false;
  out.resize(static_cast<size_t>(BN_num_bytes(value)));
  BN_bn2bin(value, out.data());
  BN_free(value);
  return true;
}

bool GetRsaPublicParts(EVP_PKEY* key, std::vector<unsigned char>& modulus, std::vector<unsigned char>& exponent) {
  if (key == nullptr || !EVP_PKEY_is_a(key, "RSA")) return false;
  return GetBigEndianParam(key, OSSL_PKEY_PARAM_RSA_N, modulus) &&
         GetBigEndianParam(key, OSSL_PKEY_PARAM_RSA_E, exponent);
}

std::string FormatEmbeddedKeySource(EVP_PKEY* key) {
  std::vector<unsigned char> modulus, exponent;
  if (!GetRsaPublicParts(key, modulus, exponent) || modulus.size() != kUpdateKeyModulusSize ||
      exponent.size() != kUpdateKeyExponentSize) {
    return {};
  }
  std::string source =
      "#include \"update/update_key.h\"\n\nconst unsigned char kUpdateKeyModulus[kUpdateKeyModulusSize] = {";
  char hex[8];
  for (size_t i = 0; i < modulus.size(); ++i) {
    std::snprintf(hex, sizeof hex, "0x%02x,", modulus[i]);
    source += (i % 12 == 0) ? "\n    " : " ";
    source += hex;
  }
  std::snprintf(hex, sizeof hex, "0x%02x", exponent[0]);
  source += "\n};\n\nconst unsigned char kUpdateKeyExponent[kUpdateKeyExponentSize] = {";
  source += hex;
  source += "};\n";
  return source;
}
