#include "tests/unit/update/test_key_signer.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <cstdio>

#include "tools/quillbox-sign/signature_file.h"

std::string TestDataPath(const char* name) { return std::string(QUILLBOX_TEST_DATA_DIR) + "/update/" + name; }

TestKeySigner::TestKeySigner() {
  FILE* file = std::fopen(TestDataPath("test_private.pem").c_str(), "rb");
  if (file == nullptr) return;
  key_ = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
  std::fclose(file);
}

TestKeySigner::~TestKeySigner() { EVP_PKEY_free(key_); }

Bytes TestKeySigner::SignBlock(const Bytes& block) const {
  EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(key_, nullptr);
  Bytes out(128);
  size_t size = out.size();
  if (context == nullptr || EVP_PKEY_decrypt_init(context) != 1 ||
      EVP_PKEY_CTX_set_rsa_padding(context, RSA_NO_PADDING) != 1 ||
      EVP_PKEY_decrypt(context, out.data(), &size, block.data(), block.size()) != 1) {
    out.clear();
  }
  EVP_PKEY_CTX_free(context);
  return out;
}

Bytes TestKeySigner::SignatureFileFor(const Bytes& installer) const { return MakeSignatureFile(installer, key_); }

Bytes Md5Of(const Bytes& data) { return InstallerDigest(data); }

Bytes Md5DigestInfo(const Bytes& digest) {
  Bytes info = {0x30, 0x20, 0x30, 0x0c, 0x06, 0x08, 0x2a, 0x86, 0x48,
                0x86, 0xf7, 0x0d, 0x02, 0x05, 0x05, 0x00, 0x04, 0x10};
  info.insert(info.end(), digest.begin(), digest.end());
  return info;
}

Bytes Pkcs1Block(const Bytes& digestInfo) {
  Bytes block = {0x00, 0x01};
  block.insert(block.end(), 128 - 3 - digestInfo.size(), 0xff);
  block.push_back(0x00);
  block.insert(block.end(), digestInfo.begin(), digestInfo.end());
  return block;
}
