#include "ssh_agent/ssh_fingerprint.h"

#include <openssl/evp.h>

#include "ssh_agent/ssh_base64.h"

std::string SshFingerprint(std::span<const uint8_t> publicBlob) {
  uint8_t digest[32];
  unsigned int size = 0;
  if (EVP_Digest(publicBlob.data(), publicBlob.size(), digest, &size, EVP_sha256(), nullptr) != 1) return {};
  return "SHA256:" + EncodeBase64Unpadded({digest, size});
}
