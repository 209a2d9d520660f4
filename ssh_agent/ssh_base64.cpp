#include "ssh_agent/ssh_base64.h"

#include <openssl/evp.h>

#include <cctype>

bool DecodeBase64(std::string_view text, WipingBytes* bytes) {
  WipingString packed;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c)) == 0) packed.push_back(c);
  }
  if (packed.empty() || packed.size() % 4 != 0) return false;
  bytes->assign(packed.size() / 4 * 3, 0);
  int length = EVP_DecodeBlock(bytes->data(), reinterpret_cast<const unsigned char*>(packed.data()),
                               static_cast<int>(packed.size()));
  if (length < 0) return false;
  // EVP_DecodeBlock counts the padding's bytes as zeros.
  size_t padding = packed.ends_with("==") ? 2 : packed.ends_with("=") ? 1 : 0;
  bytes->resize(static_cast<size_t>(length) - padding);
  return true;
}

std::string EncodeBase64Unpadded(std::span<const uint8_t> bytes) {
  std::string text((bytes.size() + 2) / 3 * 4 + 1, '\0');
  int length =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes.data(), static_cast<int>(bytes.size()));
  text.resize(static_cast<size_t>(length));
  while (!text.empty() && text.back() == '=') text.pop_back();
  return text;
}
