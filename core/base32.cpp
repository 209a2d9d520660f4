#include "core/base32.h"

#include <string.h>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";

int Base32Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a';
  if (c >= '2' && c <= '7') return c - '2' + 26;
  return -1;
}

}  // namespace

bool DecodeBase32(std::string_view text, WipingBytes& out) {
  out.clear();
  out.reserve(text.size() * 5 / 8);
  uint32_t bits = 0;  // secret: wiped below
  int bitCount = 0;
  size_t symbols = 0;
  size_t padding = 0;
  bool ok = true;
  for (char c : text) {
    if (c == ' ') continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    int value = Base32Value(c);
    if (value < 0 || padding > 0) {
      ok = false;
      break;
    }
    ++symbols;
    bits = (bits << 5) | static_cast<uint32_t>(value);
    bitCount += 5;
    if (bitCount >= 8) {
      bitCount -= 8;
      out.push_back(static_cast<uint8_t>(bits >> bitCount));
    }
    bits &= (1u << bitCount) - 1;
  }
  // A last group of 1, 3 or 6 symbols cannot come from whole bytes.
  size_t tail = symbols % 8;
  if (tail == 1 || tail == 3 || tail == 6) ok = false;
  if (padding > 0 && (tail == 0 || padding != 8 - tail)) ok = false;
  explicit_bzero(&bits, sizeof bits);
  // Nothing decoded leaves no buffer at all, and explicit_bzero takes none.
  if (!ok && !out.empty()) explicit_bzero(out.data(), out.size());
  if (!ok) out.clear();
  return ok;
}

SecretText EncodeBase32(const uint8_t* data, size_t size) {
  SecretText text;
  char symbols[8];  // up to 8 symbols of one 5-byte group; wiped below
  size_t count = 0;
  uint32_t bits = 0;
  int bitCount = 0;
  for (size_t i = 0; i < size; ++i) {
    bits = (bits << 8) | data[i];
    bitCount += 8;
    while (bitCount >= 5) {
      bitCount -= 5;
      symbols[count++] = kAlphabet[(bits >> bitCount) & 31];
    }
    bits &= (1u << bitCount) - 1;
    if (count == sizeof symbols) {
      text.Append(std::string_view(symbols, count));
      count = 0;
    }
  }
  if (bitCount > 0) symbols[count++] = kAlphabet[(bits << (5 - bitCount)) & 31];
  text.Append(std::string_view(symbols, count));
  explicit_bzero(symbols, sizeof symbols);
  explicit_bzero(&bits, sizeof bits);
  return text;
}
