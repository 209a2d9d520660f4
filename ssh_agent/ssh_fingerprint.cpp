#include "ssh_agent/ssh_fingerprint.h"

#include "crypto/sha.h"
#include "ssh_agent/ssh_base64.h"

std::string SshFingerprint(std::span<const uint8_t> publicBlob) {
  uint8_t digest[32];
  Sha256({publicBlob}, digest);
  return "SHA256:" + EncodeBase64Unpadded(digest);
}
