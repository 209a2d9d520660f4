#include "core/utf8.h"

bool DecodeUtf8(std::string_view text, size_t& i, char32_t& c) {
  const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char lead = byte(i);
  size_t length;
  char32_t min;
  if (lead < 0x80) {
    c = lead;
    ++i;
    return true;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800, c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000, c = lead & 0x07;
  } else {
    return false;
  }
  if (length > text.size() - i) return false;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return false;
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  i += length;
  return true;
}

size_t FindInvalidUtf8(std::string_view text) {
  size_t i = 0;
  char32_t c;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
    } else if (!DecodeUtf8(text, i, c)) {
      return i;
    }
  }
  return text.size();
}

bool IsUtf8(std::string_view text) { return FindInvalidUtf8(text) == text.size(); }

size_t EncodeUtf8(char32_t c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

void AppendUtf8(char32_t c, std::string* out) {
  char bytes[4];
  out->append(bytes, EncodeUtf8(c, bytes));
}
