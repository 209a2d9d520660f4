#include "core/heapstring.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdarg>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct HeapStringFree {
  void operator()(char* text) const { FreeString(text); }
};
using HeapString = std::unique_ptr<char, HeapStringFree>;

HeapString Dup(const std::string& text) { return HeapString(DupBytes(text.data(), text.size())); }

TEST(FormatStringTest, FormatsIntoHeapString) {
  HeapString line(FormatString("%s\t%s\t%s", "Bank", "jo", "pw"));
  ASSERT_NE(line, nullptr);
  EXPECT_STREQ(line.get(), "Bank\tjo\tpw");
  HeapString empty(FormatString("%s", ""));
  ASSERT_NE(empty, nullptr);
  EXPECT_STREQ(empty.get(), "");
}

// 63 characters and the NUL fill the first 64-byte buffer; 64 characters
// need the doubled one.
TEST(FormatStringTest, SixtyFourByteBoundary) {
  const std::string fits(63, 'a');
  const std::string spills(64, 'b');
  HeapString first(FormatString("%s", fits.c_str()));
  HeapString second(FormatString("%s", spills.c_str()));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first.get(), fits);
  EXPECT_EQ(second.get(), spills);
  EXPECT_LT(malloc_usable_size(first.get()), 128u);
  EXPECT_GE(malloc_usable_size(second.get()), 128u);
}

int FormatWithStart(char** out, size_t startSize, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = FormatStringV(out, startSize, format, args);
  va_end(args);
  return result;
}

TEST(FormatStringTest, GrowsFromAnyStartingSize) {
  const std::string text(1000, 'z');
  for (size_t start : {0u, 1u, 2u, 7u, 1001u}) {
    char* out = reinterpret_cast<char*>(1);
    EXPECT_EQ(FormatWithStart(&out, start, "%s!", text.c_str()), 1001) << start;
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out, text + "!");
    FreeString(out);
  }
}

TEST(FormatStringTest, FormattingErrorGivesNull) {
  // A wide character outside the C locale cannot be converted.
  const wchar_t unconvertible[] = {0x263A, 0};
  char* out = reinterpret_cast<char*>(1);
  EXPECT_EQ(FormatWithStart(&out, 64, "%ls", unconvertible), -1);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(FormatString("%ls", unconvertible), nullptr);
}

TEST(DupBytesTest, CopiesRangeAndTerminates) {
  const char source[] = {'a', '\0', 'b', 'c'};
  HeapString copy(DupBytes(source + 2, 2));
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy.get(), "bc");
  HeapString empty(DupBytes(nullptr, 0));
  ASSERT_NE(empty, nullptr);
  EXPECT_STREQ(empty.get(), "");
  EXPECT_EQ(DupBytes(nullptr, 3), nullptr);
}

struct ReplaceCase {
  const char* text;
  const char* from;
  const char* to;
  const char* expected;
  bool sameBuffer;
};

TEST(ReplaceAllTest, Cases) {
  const ReplaceCase cases[] = {
      {"abab", "ab", "x", "xx", true},     {"abab", "a", "xyz", "xyzbxyzb", false},
      {"aaa", "aa", "b", "ba", true},       // no overlapping matches
      {"aaa", "a", "aa", "aaaaaa", false},  // replacement is not searched again
      {"abc", "", "x", "abc", true},       {"abc", "b", "", "ac", true},
      {"x.y.z", ".", "/", "x/y/z", true},  {"none here", "zz", "longer", "none here", false},
      {"", "a", "bb", "", false},          {"tail:", ":", "::", "tail::", false},
  };
  for (const auto& c : cases) {
    char* text = DupBytes(c.text, strlen(c.text));
    char* const before = text;
    EXPECT_TRUE(ReplaceAll(&text, c.from, c.to));
    EXPECT_STREQ(text, c.expected) << c.text << " / " << c.from << " / " << c.to;
    EXPECT_EQ(text == before, c.sameBuffer) << c.text << " / " << c.from << " / " << c.to;
    FreeString(text);
  }
}

TEST(NormalizeLineEndsTest, Cases) {
  const struct {
    const char* text;
    const char* lineEnd;
    const char* expected;
  } cases[] = {
      {"a\r\nb\rc\n", "\n", "a\nb\nc\n"},   {"a\r\nb\rc\n", "\r\n", "a\r\nb\r\nc\r\n"},
      {"\r\r\n\n", "\r\n", "\r\n\r\n\r\n"}, {"\n\r", "\r", "\r\r"},
      {"no ends", "\r\n", "no ends"},
  };
  for (const auto& c : cases) {
    HeapString text = Dup(c.text);
    char* raw = text.release();
    EXPECT_TRUE(NormalizeLineEnds(&raw, c.lineEnd));
    text.reset(raw);
    EXPECT_STREQ(text.get(), c.expected);
  }
}

TEST(TrimTest, Cases) {
  const struct {
    const char* text;
    const char* left;
    const char* right;
  } cases[] = {
      {"  ", "", ""},
      {"\t x", "x", "\t x"},
      {"x \t\n\v\f\r", "x \t\n\v\f\r", "x"},
      {"\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0"},  // no-break space is not white space
      {"\x08x\x0E", "\x08x\x0E", "\x08x\x0E"},  // neighbours of the white-space range
      {"", "", ""},
      {" a b ", "a b ", " a b"},
  };
  for (const auto& c : cases) {
    HeapString left = Dup(c.text);
    HeapString right = Dup(c.text);
    TrimLeft(left.get());
    TrimRight(right.get());
    EXPECT_STREQ(left.get(), c.left);
    EXPECT_STREQ(right.get(), c.right);
  }
}

}  // namespace
