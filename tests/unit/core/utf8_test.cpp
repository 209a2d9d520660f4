#include "core/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One sequence each: the code point it stands for, or 0 where it is not
// well-formed. The edges of every length, and the forms a lenient decoder
// would let through.
struct Sequence {
  const char* bytes;
  char32_t code;
};
constexpr Sequence kSequences[] = {
    {"A", U'A'},
    {"\xC2\x80", 0x80},
    {"\xDF\xBF", 0x7FF},
    {"\xE0\xA0\x80", 0x800},
    {"\xED\x9F\xBF", 0xD7FF},
    {"\xEE\x80\x80", 0xE000},
    {"\xEF\xBF\xBF", 0xFFFF},
    {"\xF0\x90\x80\x80", 0x10000},
    {"\xF4\x8F\xBF\xBF", 0x10FFFF},
    {"\xC0\xAF", 0},          // overlong '/'
    {"\xC1\xBF", 0},          // overlong DEL
    {"\xE0\x9F\xBF", 0},      // overlong U+07FF
    {"\xF0\x8F\xBF\xBF", 0},  // overlong U+FFFF
    {"\xED\xA0\x80", 0},      // the first surrogate
    {"\xED\xBF\xBF", 0},      // the last surrogate
    {"\xF4\x90\x80\x80", 0},  // U+110000
    {"\xF5\x80\x80\x80", 0},  // a lead byte past U+10FFFF
    {"\xFF", 0},
    {"\x80", 0},  // a continuation byte alone
    {"\xC3", 0},  // cut short
    {"\xE2\x82", 0},
    {"\xF0\x9F\x94", 0},
    {"\xC3\x28", 0},  // a second byte that does not continue
    {"\xE2\x28\xAC", 0},
};

TEST(Utf8, DecodesOnlyWellFormedSequences) {
  for (const Sequence& s : kSequences) {
    const std::string text = std::string(s.bytes) + "z";
    size_t i = 0;
    char32_t c = 0;
    const bool decoded = DecodeUtf8(text, i, c);
    EXPECT_EQ(decoded, s.code != 0) << s.bytes;
    if (decoded) {
      EXPECT_EQ(c, s.code) << s.bytes;
      EXPECT_EQ(i, text.size() - 1) << s.bytes;
    } else {
      EXPECT_EQ(i, 0u) << s.bytes;
    }
  }
}

TEST(Utf8, EncodesWhatItDecodes) {
  for (const Sequence& s : kSequences) {
    if (s.code == 0) continue;
    char bytes[4];
    EXPECT_EQ(std::string(bytes, EncodeUtf8(s.code, bytes)), s.bytes);
    std::string appended = "x";
    AppendUtf8(s.code, &appended);
    EXPECT_EQ(appended, std::string("x") + s.bytes);
  }
}

TEST(Utf8, FindsTheFirstByteThatIsNotWellFormed) {
  const std::pair<std::string, size_t> cases[] = {
      {"plain", 5},
      {"", 0},
      {"caf\xC3\xA9", 5},
      {"\xF0\x9F\x94\x91 key", 8},
      {"ab\xE9", 2},            // a Latin-1 byte
      {"\xC0\xAF", 0},          // overlong '/'
      {"\xED\xA0\x80", 0},      // a surrogate
      {"\xF4\x90\x80\x80", 0},  // beyond U+10FFFF
      {"x\xE2\x82", 1},         // cut short
      {"\xC3\xA9\xC3", 2},
  };
  for (const auto& [text, offset] : cases) {
    EXPECT_EQ(FindInvalidUtf8(text), offset) << text;
    EXPECT_EQ(IsUtf8(text), offset == text.size()) << text;
  }
}

}  // namespace
