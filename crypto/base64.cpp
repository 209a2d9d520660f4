#include "crypto/base64.h"

#include <openssl/evp.h>

#include <climits>

bool DecodeBase64Block(std::string_view text, WipingBytes* bytes) {
  if (text.empty() || text.size() % 4 != 0 || text.size() > INT_MAX) return false;
  bytes->assign(text.size() / 4 * 3, 0);
  int length = EVP_DecodeBlock(bytes->data(), reinterpret_cast<const unsigned char*>(text.data()),
                               static_cast<int>(text.size()));
  if (length < 0) return false;
  // EVP_DecodeBlock counts the padding's bytes as zeros.
  size_t padding = text.ends_with("==") ? 2 : text.ends_with("=") ? 1 : 0;
  bytes->resize(static_cast<size_t>(length) - padding);
  return true;
}

std::string EncodeBase64Block(std::span<const uint8_t> bytes) {
  std::string text((bytes.size() + 2) / 3 * 4 + 1, '\0');
  int length =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes.data(), static_cast<int>(bytes.size()));
  text.resize(static_cast<size_t>(length));
  return text;
}
