#include "app/entry_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/safe/safe_test_dir.h"

namespace {

// Entry lines: description, account user name, password.
const std::vector<std::string> kEntries = {
    "Bank\tjdoe\thunter2",
    "MAIL server\tpostmaster\tbankpass",
    "\xC3\x84rztekammer\tDr. \xC3\x96zt\xC3\xBCrk\tx",  // Ärztekammer, Dr. Öztürk
    "\xCE\xA3\xCE\xA5\xCE\xA3\tuser\ty",                // ΣΥΣ (Greek capitals)
    "Caf\xE9\tlatin1\tz",                               // "Café" stored in Latin-1
    "only description",
    "\t\tpassword only",
    "\x80uro \x93quoted\x94\tcp1252\tz",  // Windows-1252 bytes of an older safe
};

std::vector<int> Shown(const std::string& text) {
  EntryFilter filter;
  filter.SetText(text);
  const EntryList list = ListOf(kEntries);
  std::vector<int> rows;
  for (size_t i = 0; i < list.entries.size(); ++i) {
    if (filter.Matches(list.entries[i])) rows.push_back(static_cast<int>(i));
  }
  return rows;
}

TEST(EntryFilter, TextAndShownRows) {
  struct Case {
    const char* text;
    std::vector<int> rows;
  };
  const Case cases[] = {
      {"", {0, 1, 2, 3, 4, 5, 6, 7}},
      {"bank", {0}},  // "bankpass" is a password: never matched
      {"BANK", {0}},
      {"mail", {1}},
      {"POSTMASTER", {1}},  // the user name column
      {"hunter", {}},       // only in a password
      {"password", {}},
      {"\xC3\xA4rzte", {2}},                    // "ärzte" finds "Ärzte"
      {"\xC3\xB6zt\xC3\xBCrk", {2}},            // "öztürk" in the user name
      {"\xCF\x83\xCF\x85\xCF\x82", {3}},        // "συς" with a final sigma finds "ΣΥΣ"
      {"CAF\xC3\x89", {4}},                     // "CAFÉ" typed finds the Latin-1 "Café"
      {"\xE2\x82\xAC", {7}},                    // "€" finds the Windows-1252 euro sign
      {"\xE2\x80\x9Cquoted\xE2\x80\x9D", {7}},  // typographic quotes, as the list shows them
      {"e", {0, 1, 2, 3, 5, 7}},
      {"\t", {}},
      {"nothing like it", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Shown(c.text), c.rows) << c.text;
}

TEST(EntryFilter, EmptyTextLetsEverythingThrough) {
  EntryFilter filter;
  EXPECT_TRUE(filter.IsEmpty());
  filter.SetText("x");
  EXPECT_FALSE(filter.IsEmpty());
  filter.SetText("");
  EXPECT_TRUE(filter.Matches(ListOf({"anything\tat\tall"}).entries[0]));
}

}  // namespace
