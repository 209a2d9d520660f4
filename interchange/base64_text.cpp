#include "interchange/base64_text.h"

#include <array>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr uint8_t kSpace = 64, kPad = 65, kInvalid = 66;

constexpr std::array<uint8_t, 256> DecodeTable() {
  std::array<uint8_t, 256> table{};
  for (uint8_t& value : table) value = kInvalid;
  for (uint8_t i = 0; i < 64; ++i) table[static_cast<uint8_t>(kAlphabet[i])] = i;
  for (char c : {' ', '\t', '\r', '\n'}) table[static_cast<uint8_t>(c)] = kSpace;
  table['='] = kPad;
  return table;
}

constexpr std::array<uint8_t, 256> kDecode = DecodeTable();

}  // namespace

bool DecodeBase64(const char* text, size_t size, uint8_t* out, size_t* decoded) {
  uint32_t bits = 0;
  size_t digits = 0, pads = 0, written = 0;
  for (size_t i = 0; i < size; ++i) {
    uint8_t value = kDecode[static_cast<uint8_t>(text[i])];
    if (value < 64) {
      if (pads != 0) return false;  // padding only at the end
      bits = bits << 6 | value;
      if (++digits % 4 == 0) {
        out[written++] = static_cast<uint8_t>(bits >> 16);
        out[written++] = static_cast<uint8_t>(bits >> 8);
        out[written++] = static_cast<uint8_t>(bits);
        bits = 0;
      }
    } else if (value == kPad) {
      ++pads;
    } else if (value != kSpace) {
      return false;
    }
  }
  size_t rest = digits % 4;
  if (rest == 1 || pads > 2 || (pads != 0 && (rest + pads) % 4 != 0)) return false;
  if (rest >= 2) out[written++] = static_cast<uint8_t>(bits >> (rest == 2 ? 4 : 10));
  if (rest == 3) out[written++] = static_cast<uint8_t>(bits >> 2);
  bits = 0;
  *decoded = written;
  return true;
}

void AppendBase64(std::span<const uint8_t> bytes, std::string* out) {
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    uint32_t bits = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) out->push_back(kAlphabet[bits >> shift & 63]);
  }
  if (i == bytes.size()) return;
  bool two = i + 2 == bytes.size();
  uint32_t bits = bytes[i] << 16 | (two ? bytes[i + 1] << 8 : 0);
  out->push_back(kAlphabet[bits >> 18 & 63]);
  out->push_back(kAlphabet[bits >> 12 & 63]);
  out->push_back(two ? kAlphabet[bits >> 6 & 63] : '=');
  out->push_back('=');
}
