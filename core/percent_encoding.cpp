#include "core/percent_encoding.h"

#include <string.h>

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsUnreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

}  // namespace

bool PercentDecode(std::string_view text, SecretText& out) {
  out.Wipe();
  size_t start = 0;  // the run of plain characters not yet appended
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
    int low = high >= 0 ? HexValue(text[i + 2]) : -1;
    if (low < 0) {
      out.Wipe();
      return false;
    }
    out.Append(text.substr(start, i - start));
    char decoded = static_cast<char>(high * 16 + low);
    out.Append(std::string_view(&decoded, 1));
    explicit_bzero(&decoded, 1);
    i += 2;
    start = i + 1;
  }
  out.Append(text.substr(start));
  return true;
}

void PercentEncode(std::string_view text, std::string_view keep, SecretText& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out.Wipe();
  for (char c : text) {
    if (IsUnreserved(c) || keep.find(c) != std::string_view::npos) {
      out.Append(std::string_view(&c, 1));
    } else {
      unsigned char byte = static_cast<unsigned char>(c);
      char escape[3] = {'%', kHex[byte >> 4], kHex[byte & 15]};
      out.Append(std::string_view(escape, 3));
      explicit_bzero(escape, sizeof escape);
    }
  }
}
