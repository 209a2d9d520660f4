#include "tests/unit/health/breach_file.h"

#include <openssl/evp.h>

#include <algorithm>

std::string Sha1Hex(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(text.data(), text.size(), digest, &size, EVP_sha1(), nullptr);
  static const char kHex[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned int i = 0; i < size; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

std::vector<BreachLine> SortedBreachLines(const std::vector<std::string>& passwords, int fillers) {
  std::vector<BreachLine> lines;
  for (size_t i = 0; i < passwords.size(); ++i) lines.push_back({Sha1Hex(passwords[i]), 1000 + i});
  for (int i = 0; i < fillers; ++i) lines.push_back({Sha1Hex("filler " + std::to_string(i)), 1});
  std::sort(lines.begin(), lines.end(), [](const BreachLine& a, const BreachLine& b) { return a.hash < b.hash; });
  return lines;
}

std::string BreachFileText(const std::vector<BreachLine>& lines, const char* lineEnd) {
  std::string text;
  for (const BreachLine& line : lines) text += line.hash + ":" + std::to_string(line.count) + lineEnd;
  return text;
}
