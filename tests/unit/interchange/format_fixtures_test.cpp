// Each format's fixture, as the other program writes it, read into the
// entries the safe stores; the writable formats then written and read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interchange/import_file.h"
#include "tests/unit/core/scratch_dir.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

using Lines = std::vector<std::string>;

// The three entries every fixture holds: a quote and a comma, a non-ASCII
// letter with an empty user name, and no title (the URL's host stands in).
const std::string kBank = "Bank, \"main\"\tjdoe\tpa\"ss,1";
const std::string kCafe = "Caf\xC3\xA9\t\tcr\xC3\xA8me";
const std::string kMail = "mail.example.org\tmailuser\tm41l";

std::string Fixture(const std::string& name) { return ReadTextFile(QUILLBOX_TEST_DATA_DIR "/interchange/" + name); }

Lines LinesOf(ImportPlan& plan) { return ToVector(plan.Entries()); }

struct FixtureCase {
  const char* file;
  const char* format;
  Lines entries;
  ImportSummary counts;  // format_name and imported are checked apart
};

// What each fixture leaves behind beyond the counts every format has.
struct MoreCounts {
  size_t passkeys = 0;
  size_t collections = 0;
  size_t history_entries = 0;
  size_t tags = 0;
  size_t http_realms = 0;
};

ImportSummary Counts(size_t read, size_t other, size_t recycled, size_t groups, size_t urls, size_t notes, size_t totp,
                     size_t fields, size_t attachments, MoreCounts more = {}) {
  ImportSummary s;
  s.passkeys = more.passkeys;
  s.collections = more.collections;
  s.history_entries = more.history_entries;
  s.tags = more.tags;
  s.http_realms = more.http_realms;
  s.read = read;
  s.other_items = other;
  s.recycled_items = recycled;
  s.group_paths = groups;
  s.urls = urls;
  s.notes = notes;
  s.totp_secrets = totp;
  s.custom_fields = fields;
  s.attachments = attachments;
  return s;
}

TEST(FormatFixtures, EachFormatIsRecognisedAndReadIntoTheSameEntries) {
  const FixtureCase cases[] = {
      {"quillbox.csv", "quillbox-csv", {kBank, kCafe, kMail}, Counts(3, 0, 0, 0, 0, 0, 0, 0, 0)},
      // The recycle bin's entries stay out, as they do from its XML.
      {"keepassxc.csv", "keepassxc-csv", {kBank, kCafe, kMail}, Counts(3, 0, 1, 1, 2, 1, 1, 0, 0)},
      {"keepassxc-2.6.csv", "keepassxc-csv", {kBank, kCafe, kMail}, Counts(3, 0, 0, 1, 2, 1, 0, 0, 0)},
      // History versions and the recycle bin stay out, counted; groups nest.
      {"keepass.xml",
       "keepass-xml",
       {kCafe, kMail, kBank},
       Counts(3, 0, 1, 1, 2, 1, 1, 2, 1, {.history_entries = 1, .tags = 2})},
      {"bitwarden.csv", "bitwarden-csv", {kBank, kCafe, kMail}, Counts(3, 2, 0, 1, 2, 1, 1, 1, 0)},
      // Older clients write no reprompt column; an organisation's export
      // starts with its collections instead of a folder.
      {"bitwarden-no-reprompt.csv", "bitwarden-csv", {kBank, kCafe, kMail}, Counts(3, 1, 0, 1, 2, 1, 1, 1, 0)},
      {"bitwarden-organization.csv",
       "bitwarden-csv",
       {kBank, kCafe, kMail},
       Counts(3, 1, 0, 0, 2, 1, 1, 1, 0, {.collections = 2})},
      {"bitwarden.json",
       "bitwarden-json",
       {kBank, kCafe, kMail},
       Counts(3, 3, 0, 1, 3, 1, 1, 1, 0, {.passkeys = 1, .collections = 1, .history_entries = 2})},
      {"chrome.csv", "chrome-csv", {kBank, kCafe, kMail}, Counts(3, 0, 0, 0, 3, 1, 0, 0, 0)},
      // Firefox's record of its own account is left out, as Firefox does.
      {"firefox.csv",
       "firefox-csv",
       {"bank.example.com\tjdoe\tpa\"ss,1", "caf\xC3\xA9.example\t\tcr\xC3\xA8me", kMail},
       Counts(3, 0, 0, 0, 3, 0, 0, 0, 0, {.http_realms = 1})},
  };
  for (const FixtureCase& c : cases) {
    SCOPED_TRACE(c.file);
    std::string text = Fixture(c.file);
    const InterchangeFormat* detected = DetectInterchangeFormat(text);
    ASSERT_NE(detected, nullptr);
    EXPECT_STREQ(detected->name, c.format);
    ImportPlan plan(SafeFormat::kLegacy);
    std::string error;
    ASSERT_TRUE(PlanImportText(text, "", &plan, &error)) << error;
    EXPECT_EQ(LinesOf(plan), c.entries);
    EXPECT_EQ(plan.Problems(), std::vector<std::string>());
    const ImportSummary& s = plan.Summary();
    EXPECT_EQ(s.format_name, c.format);
    EXPECT_EQ(s.imported, c.entries.size());
    const ImportSummary& e = c.counts;
    EXPECT_EQ(std::vector<size_t>({s.read, s.other_items, s.recycled_items, s.group_paths, s.urls, s.notes,
                                   s.totp_secrets, s.custom_fields, s.attachments, s.passkeys, s.collections,
                                   s.history_entries, s.tags, s.http_realms}),
              std::vector<size_t>({e.read, e.other_items, e.recycled_items, e.group_paths, e.urls, e.notes,
                                   e.totp_secrets, e.custom_fields, e.attachments, e.passkeys, e.collections,
                                   e.history_entries, e.tags, e.http_realms}));
  }
}

TEST(FormatFixtures, WritableFormatsReadBackWhatTheyWrote) {
  EntryList entries;
  for (const std::string& line : {kBank, kCafe, kMail, std::string("\t\tonly a password"),
                                  std::string("<b>&amp;</b>\t\\\\ \"q\"\ttab-free ]]> text")}) {
    AddLine(entries, line.c_str());
  }
  Lines expected = ToVector(entries);
  int writable = 0;
  for (const InterchangeFormat& format : InterchangeFormats()) {
    if (format.write == nullptr) continue;
    ++writable;
    SCOPED_TRACE(format.name);
    std::string written, error;
    ASSERT_TRUE(format.write(entries.entries, &written, &error)) << error;
    EXPECT_EQ(DetectInterchangeFormat(written), &format);
    ImportPlan plan(SafeFormat::kLegacy);
    ASSERT_TRUE(PlanImportText(written, "", &plan, &error)) << error;
    // Only the safe's own CSV keeps an empty description; the others
    // title it, as any entry without a title or URL.
    Lines lines = expected;
    if (std::string(format.name) != "quillbox-csv") lines[3] = "(untitled)\t\tonly a password";
    EXPECT_EQ(LinesOf(plan), lines);
    EXPECT_EQ(plan.Summary().urls + plan.Summary().notes + plan.Summary().group_paths, 0u);
  }
  EXPECT_EQ(writable, 5);
}

TEST(FormatFixtures, KeepassXmlExportIsOneGroupWithProtectedPasswords) {
  EntryList entries;
  AddLine(entries, kBank.c_str());
  std::string written, error;
  ASSERT_TRUE(FindInterchangeFormat("keepass-xml")->write(entries.entries, &written, &error));
  EXPECT_NE(written.find("<Root>\n\t\t<Group>\n\t\t\t<UUID>"), std::string::npos);
  EXPECT_NE(written.find("<Name>Quillbox</Name>"), std::string::npos);
  EXPECT_EQ(written.find("<Group>", written.find("<Group>") + 1), std::string::npos) << "one group";
  EXPECT_NE(written.find("<Key>Password</Key>\n\t\t\t\t\t<Value ProtectInMemory=\"True\">pa&quot;ss,1</Value>"),
            std::string::npos);
  EXPECT_NE(written.find("<ProtectPassword>True</ProtectPassword>"), std::string::npos);
}

TEST(FormatFixtures, SafeBytesThatAreNotUtf8AreExportedAsTheWindowsCodePage) {
  EntryList entries;
  AddLine(entries, "Caf\xE9\tu\t\x80uro");
  std::string written, error;
  ASSERT_TRUE(FindInterchangeFormat("bitwarden-json")->write(entries.entries, &written, &error));
  EXPECT_NE(written.find("\"Caf\xC3\xA9\""), std::string::npos);
  EXPECT_NE(written.find("\"\xE2\x82\xAC"
                         "uro\""),
            std::string::npos);
  // The safe's own CSV keeps the bytes as they are.
  written.clear();
  ASSERT_TRUE(FindInterchangeFormat("quillbox-csv")->write(entries.entries, &written, &error));
  EXPECT_EQ(written, "Description,Username,Password\r\nCaf\xE9,u,\x80uro\r\n");
}

TEST(FormatFixtures, ImportSkipsWhatTheSafeHoldsAndTheSummarySaysSo) {
  ImportPlan plan(SafeFormat::kLegacy);
  std::string error;
  ASSERT_TRUE(PlanImportText(Fixture("bitwarden.json"), "", &plan, &error)) << error;
  EntryList safe;
  AddLine(safe, kCafe.c_str());
  AddLine(safe, "Bank, \"main\"\tjdoe\tother password");
  plan.SkipExisting(safe.entries);
  EXPECT_EQ(LinesOf(plan), Lines({kBank, kMail}));
  EXPECT_EQ(FormatImportSummary(plan.Summary(), ImportStage::kPreview),
            "3 entries read as bitwarden-json.\n"
            "2 new entries to import.\n"
            "1 entry is already in the safe, skipped.\n"
            "3 items are not a login (card, secure note, identity), skipped.\n"
            "Left behind (the safe has no place for them): 1 group path, 3 URLs, 1 note, 1 TOTP secret, "
            "1 custom field, 1 passkey, 1 collection, 2 password history entries.\n");
}

TEST(FormatFixtures, EntriesWithoutAPasswordAreImportedAndNoted) {
  ImportPlan plan(SafeFormat::kLegacy);
  std::string error;
  ASSERT_TRUE(PlanImportText("name,url,username,password\nDoor,,,\nBank,,jdoe,\nMail,,m,x\n", "", &plan, &error))
      << error;
  EntryList safe;
  AddLine(safe, "Bank\tjdoe\t");
  plan.SkipExisting(safe.entries);
  EXPECT_EQ(LinesOf(plan), Lines({"Door\t\t", "Mail\tm\tx"}));
  EXPECT_EQ(FormatImportSummary(plan.Summary(), ImportStage::kDone),
            "3 entries read as chrome-csv.\n"
            "2 new entries imported.\n"
            "1 of them has no password.\n"
            "1 entry is already in the safe, skipped.\n");
}

// Files other programs or systems write with other line ends and encodings
// read as the plain UTF-8 file with LF.
TEST(FormatFixtures, CrLineEndsAndUtf16AreRead) {
  std::string text = Fixture("chrome.csv");
  auto replaced = [](std::string text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
      text.replace(at, from.size(), to);
    return text;
  };
  auto utf16 = [](const std::string& utf8, bool little) {
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    std::u16string units;
    for (size_t i = 0; i < utf8.size();) {
      unsigned char b = static_cast<unsigned char>(utf8[i]);
      char32_t c = b;
      size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
      if (n > 1) c = b & (0xFF >> (n + 1));
      for (size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
      i += n;
      if (c >= 0x10000) {
        units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      } else {
        units.push_back(static_cast<char16_t>(c));
      }
    }
    for (char16_t unit : units) {
      char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
      out += little ? std::string{low, high} : std::string{high, low};
    }
    return out;
  };
  // A key sign needs a surrogate pair in UTF-16.
  std::string lf = replaced(text, "\r\n", "\n") + "Key,,k,\xF0\x9F\x94\x91\n";
  const std::pair<const char*, std::string> cases[] = {
      {"CR only", replaced(lf, "\n", "\r")},
      {"UTF-16 little-endian", utf16(lf, true)},
      {"UTF-16 big-endian with CRLF", utf16(replaced(lf, "\n", "\r\n"), false)},
  };
  ImportPlan expected(SafeFormat::kLegacy);
  std::string error;
  ASSERT_TRUE(PlanImportText(lf, "", &expected, &error)) << error;
  for (const auto& [what, variant] : cases) {
    SCOPED_TRACE(what);
    ImportPlan plan(SafeFormat::kLegacy);
    ASSERT_TRUE(PlanImportText(variant, "", &plan, &error)) << error;
    EXPECT_EQ(LinesOf(plan), LinesOf(expected));
    EXPECT_EQ(FormatImportSummary(plan.Summary(), ImportStage::kPreview),
              FormatImportSummary(expected.Summary(), ImportStage::kPreview));
  }
}

}  // namespace
