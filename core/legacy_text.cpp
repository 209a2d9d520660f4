#include "core/legacy_text.h"

#include <cstdint>

#include "core/utf8.h"

namespace {

// Windows-1252 0x80-0x9F; the five undefined places keep their C1 value.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char32_t LegacyByteCodePoint(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
}

void AppendFieldAsUtf8(std::string_view field, std::string* out) {
  if (IsUtf8(field)) {
    out->append(field);
    return;
  }
  for (char c : field) AppendUtf8(LegacyByteCodePoint(static_cast<unsigned char>(c)), out);
}
