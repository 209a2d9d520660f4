#include "app/entry_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
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

// One entry of the strong format with every field set.
Entry RichEntry(std::string notes) {
  Entry entry;
  entry.title = "Router";
  entry.userName = "admin";
  entry.password = "hunter2";
  entry.url = "https://Login.Example.org/";
  entry.notes = notes;
  entry.totp = "otpauth://totp/?secret=JBSWY3DPEHPK3PXP";
  entry.AddTag("Work/VPN");
  entry.AddTag("home");
  entry.SetField("PIN", "4711", true);
  entry.SetField("Room", "B12", false);
  return entry;
}

bool Matches(const Entry& entry, const std::string& text) {
  EntryFilter filter;
  filter.SetText(text);
  return filter.Matches(entry);
}

TEST(EntryFilter, WebAddressNotesAndTagsMatchSecretsNever) {
  const Entry entry = RichEntry("Recovery codes: 1234-5678\nFirst pet: Rex");
  const std::pair<const char*, bool> cases[] = {
      {"login.example", true},                       // the web address
      {"WORK/vpn", true},                            // a tag
      {"HOME", true},          {"first pet", true},  // the notes, across a line
      {"codes: 1234", true},   {"hunter", false},    // the password
      {"JBSW", false},                               // the one-time-code secret
      {"4711", false},                               // a protected field
      {"B12", false},                                // custom fields are not among the filtered texts
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(Matches(entry, text), shown) << text;
}

TEST(EntryFilter, LongNotesMatchWhereverTheTextFalls) {
  // Up to the 1 MiB notes hold, and across every place a fixed window of the
  // folded text could end.
  std::string notes(1024 * 1024 - 8, 'a');
  notes.replace(notes.size() - 6, 6, "Needle");
  EXPECT_TRUE(Matches(RichEntry(notes), "NEEDLE"));
  EXPECT_FALSE(Matches(RichEntry(notes), "needles"));
  for (size_t at = 4080; at < 4110; ++at) {
    for (const char* lead : {"a", "\xC3\xA9"}) {  // ASCII, or "é" taking two bytes
      std::string text;
      while (text.size() < at) text += lead;
      const Entry entry = RichEntry(text + "\xC3\x84rztekammer" + std::string(10, 'b'));
      EXPECT_TRUE(Matches(entry, "\xC3\xA4rztekammer")) << at << lead;
    }
  }
  // A filter text longer than half the window still finds its match.
  EXPECT_TRUE(Matches(RichEntry(std::string(5000, 'x') + std::string(3000, 'Q')), std::string(3000, 'q')));
  EXPECT_FALSE(Matches(RichEntry(std::string(5000, 'x') + std::string(2999, 'Q')), std::string(3000, 'q')));
}

}  // namespace
