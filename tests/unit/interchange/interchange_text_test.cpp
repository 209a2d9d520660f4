#include <gtest/gtest.h>

#include <string>

#include "core/url_host.h"
#include "core/legacy_text.h"

namespace {

TEST(InterchangeText, HostOfUrl) {
  const std::pair<const char*, const char*> cases[] = {
      {"https://mail.example.com/login?x=1", "mail.example.com"},
      {"https://user:pw@mail.example.com:8443/", "mail.example.com"},
      {"example.com/login", "example.com"},
      {"  http://[::1]:8080/x", "[::1]"},
      {"androidapp://com.example.app", "com.example.app"},
      {"https://h.example#frag", "h.example"},
      {"", ""},
      {"/relative/path", ""},
  };
  for (const auto& [url, host] : cases) EXPECT_EQ(HostOfUrl(url), host) << url;
}

TEST(InterchangeText, Utf8IsCheckedStrictly) {
  const std::pair<std::string, size_t> cases[] = {
      {"plain", 5},
      {"caf\xC3\xA9", 5},
      {"\xF0\x9F\x94\x91 key", 8},
      {"ab\xE9", 2},            // a Latin-1 byte
      {"\xC0\xAF", 0},          // overlong '/'
      {"\xED\xA0\x80", 0},      // a surrogate
      {"\xF4\x90\x80\x80", 0},  // beyond U+10FFFF
      {"x\xE2\x82", 1},         // cut short
  };
  for (const auto& [text, offset] : cases) EXPECT_EQ(FindInvalidUtf8(text), offset) << text;
}

TEST(InterchangeText, BytesThatAreNotUtf8AreReadAsWindows1252) {
  std::string out;
  AppendFieldAsUtf8("caf\xC3\xA9", &out);
  AppendFieldAsUtf8("|\x9F\xE9\x80|", &out);
  EXPECT_EQ(out, "caf\xC3\xA9|\xC5\xB8\xC3\xA9\xE2\x82\xAC|");
}

}  // namespace
