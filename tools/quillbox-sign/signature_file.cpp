#include "tools/quillbox-sign/signature_file.h"

#include <openssl/evp.h>
#include <openssl/rsa.h>

#include <algorithm>

#include "tools/quillbox-sign/publisher_key.h"
#include "update/update_key.h"
#include "update/update_signature.h"

Bytes InstallerDigest(const Bytes& installer) {
  Bytes digest(kSignatureDigestSize);
  unsigned int size = 0;
  if (EVP_Digest(installer.data(), installer.size(), digest.data(), &size, EVP_md5(), nullptr) != 1 ||
      size != kSignatureDigestSize) {
    return {};
  }
  return digest;
}

static Bytes SignDigest(const Bytes& digest, EVP_PKEY* privateKey) {
  EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(privateKey, nullptr);
  if (context == nullptr) return {};
  Bytes signature;
  size_t size = 0;
  if (EVP_PKEY_sign_init(context) == 1 && EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_PADDING) == 1 &&
      EVP_PKEY_CTX_set_signature_md(context, EVP_md5()) == 1 &&
      EVP_PKEY_sign(context, nullptr, &size, digest.data(), digest.size()) == 1) {
    signature.resize(size);
    if (EVP_PKEY_sign(context, signature.data(), &size, digest.data(), digest.size()) == 1) {
      signature.resize(size);
    } else {
      signature.clear();
    }
  }
  EVP_PKEY_CTX_free(context);
  return signature;
}

Bytes MakeSignatureFile(const Bytes& installer, EVP_PKEY* privateKey) {
  Bytes modulus, exponent;
  if (!GetRsaPublicParts(privateKey, modulus, exponent) || modulus.size() != kUpdateKeyModulusSize ||
      exponent.size() != kUpdateKeyExponentSize) {
    return {};
  }
  Bytes file = InstallerDigest(installer);
  if (file.empty()) return {};
  const Bytes signature = SignDigest(file, privateKey);
  if (signature.size() != kUpdateKeyModulusSize) return {};
  file.push_back(static_cast<unsigned char>(signature.size()));
  file.insert(file.end(), signature.begin(), signature.end());
  if (CheckSignatureFile(file, installer, modulus, exponent) != SignatureCheck::Valid) return {};
  return file;
}

SignatureCheck CheckSignatureFile(const Bytes& signatureFile, const Bytes& installer, const Bytes& modulus,
                                  const Bytes& exponent) {
  if (!VerifySignatureWithKey(signatureFile.data(), signatureFile.size(), modulus.data(), modulus.size(),
                              exponent.data(), exponent.size())) {
    return SignatureCheck::BadSignature;
  }
  const Bytes digest = InstallerDigest(installer);
  if (digest.empty() || !std::equal(digest.begin(), digest.end(), signatureFile.begin())) {
    return SignatureCheck::DigestMismatch;
  }
  return SignatureCheck::Valid;
}
