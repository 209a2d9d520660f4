#include "ssh_agent/ssh_base64.h"

#include <cctype>

#include "crypto/base64.h"

bool DecodeBase64(std::string_view text, WipingBytes* bytes) {
  WipingString packed;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c)) == 0) packed.push_back(c);
  }
  return DecodeBase64Block(packed, bytes);
}

std::string EncodeBase64Unpadded(std::span<const uint8_t> bytes) {
  std::string text = EncodeBase64Block(bytes);
  while (!text.empty() && text.back() == '=') text.pop_back();
  return text;
}
