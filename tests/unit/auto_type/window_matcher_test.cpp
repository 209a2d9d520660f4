#include "auto_type/window_matcher.h"

#include <gtest/gtest.h>

#include "auto_type/auto_type_sequence.h"

namespace {

Entry Titled(const char* title, const char* url = "", const char* windows = nullptr) {
  Entry entry;
  entry.title = std::string_view(title);
  entry.url = std::string_view(url);
  if (windows != nullptr) entry.SetField(kAutoTypeWindowField, windows, false);
  return entry;
}

TEST(WindowMatcher, OffersEntriesByTitleHostOrPattern) {
  std::vector<Entry> entries;
  entries.push_back(Titled("Bank"));
  entries.push_back(Titled("Mail", "https://mail.example.com/inbox"));
  entries.push_back(Titled("VPN", "", "OpenVPN*Connect\nRemote Desktop - *"));
  entries.push_back(Titled("Ärzte"));
  entries.push_back(Titled(""));  // an empty title is in every title: never offered for it
  struct Case {
    const char* window;
    std::vector<size_t> matches;
  } cases[] = {
      {"My BANK - Online Banking - Firefox", {0}},
      {"Inbox - MAIL.example.com - Chromium", {1}},
      {"OpenVPN Connect", {2}},
      {"Remote Desktop - server1", {2}},
      {"Remote Desktop", {}},
      {"Termine der ärzte", {3}},
      {"Mail Bank", {0, 1}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(EntriesForWindow(c.window, entries), c.matches) << c.window;
}

TEST(WindowMatcher, PatternsMatchTheWholeTitle) {
  struct Case {
    const char* pattern;
    const char* title;
    bool matches;
  } cases[] = {
      {"*", "", true},        {"*", "anything", true},
      {"a*c", "abbbc", true}, {"a*c", "abbbcd", false},
      {"*b*", "abc", true},   {"ab", "abc", false},
      {"a**c", "ac", true},   {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowPatternMatches(c.pattern, c.title), c.matches) << c.pattern << " / " << c.title;
  }
}

}  // namespace
