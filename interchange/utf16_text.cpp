#include "interchange/utf16_text.h"

#include "core/utf8.h"

namespace {

constexpr std::string_view kLittleEndianMark = "\xFF\xFE";
constexpr std::string_view kBigEndianMark = "\xFE\xFF";

}  // namespace

bool HasUtf16ByteOrderMark(std::string_view text) {
  return text.starts_with(kLittleEndianMark) || text.starts_with(kBigEndianMark);
}

bool AppendUtf16AsUtf8(std::string_view text, WipingString* out, std::string* error) {
  bool little = text.starts_with(kLittleEndianMark);
  text.remove_prefix(2);
  // A unit of two bytes becomes at most three of UTF-8; a pair, four.
  out->reserve(out->size() + text.size() / 2 * 3);
  size_t line = 1;
  auto unit = [&](size_t i) -> char32_t {
    auto low = static_cast<unsigned char>(text[little ? i : i + 1]);
    auto high = static_cast<unsigned char>(text[little ? i + 1 : i]);
    return static_cast<char32_t>(high << 8 | low);
  };
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    char32_t code = unit(i);
    if (code >= 0xD800 && code <= 0xDBFF && i + 3 < text.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      *error = "line " + std::to_string(line) + ": the text is not valid UTF-16";
      return false;
    }
    line += code == '\n';
    char bytes[4];
    out->append(bytes, EncodeUtf8(code, bytes));
  }
  if (text.size() % 2 != 0) {
    *error = "line " + std::to_string(line) + ": the text is not valid UTF-16 (an odd number of bytes)";
    return false;
  }
  return true;
}
