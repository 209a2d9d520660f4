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

TEST(InterchangeText, BytesThatAreNotUtf8AreReadAsWindows1252) {
  std::string out;
  AppendFieldAsUtf8("caf\xC3\xA9", &out);
  AppendFieldAsUtf8("|\x9F\xE9\x80|", &out);
  EXPECT_EQ(out, "caf\xC3\xA9|\xC5\xB8\xC3\xA9\xE2\x82\xAC|");
}

}  // namespace
