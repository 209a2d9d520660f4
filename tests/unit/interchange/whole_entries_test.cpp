// Imports into a strong safe keep every field the file has a place for;
// exports write them back; a newer export of the same records updates
// their entries instead of adding copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "interchange/import_file.h"
#include "safe/merge_by_id.h"
#include "tests/unit/interchange/whole_entry_fixture.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

constexpr char kBankTotpSecret[] = "secret=JBSWY3DPEHPK3PXP";

std::string Fixture(const std::string& name) { return ReadTextFile(QUILLBOX_TEST_DATA_DIR "/interchange/" + name); }

std::string FieldValue(const Entry& entry, std::string_view name, bool* is_protected = nullptr) {
  const CustomField* field = entry.FindField(name);
  if (field != nullptr && is_protected != nullptr) *is_protected = field->isProtected;
  return field == nullptr ? "(none)" : std::string(field->value.view());
}

void Plan(const std::string& text, ImportPlan* plan) {
  std::string error;
  ASSERT_TRUE(PlanImportText(text, "", plan, &error)) << error;
  EXPECT_EQ(plan->Problems(), std::vector<std::string>());
}

TEST(WholeEntries, KeepassXmlKeepsEveryFieldAndLeavesOnlyAttachmentsBehind) {
  ImportPlan plan(SafeFormat::kStrong);
  Plan(Fixture("keepass.xml"), &plan);
  const Entry* bank = Titled(plan.Entries(), "Bank, \"main\"");
  ASSERT_NE(bank, nullptr);
  EXPECT_EQ(bank->url, "https://bank.example.com");
  EXPECT_EQ(bank->notes, "line one\nline two");
  EXPECT_TRUE(bank->totp.view().starts_with("otpauth://totp/")) << bank->totp.view();
  EXPECT_NE(bank->totp.view().find(kBankTotpSecret), std::string_view::npos) << bank->totp.view();
  // The group path is one tag beside the entry's own.
  EXPECT_EQ(Tags(*bank), std::vector<std::string>({"Finance/Banks", "main bank", "money"}));
  bool pin_protected = false, branch_protected = true;
  EXPECT_EQ(FieldValue(*bank, "PIN", &pin_protected), "1234");
  EXPECT_TRUE(pin_protected);
  EXPECT_EQ(FieldValue(*bank, "Branch", &branch_protected), "Main Street");
  EXPECT_FALSE(branch_protected);
  EXPECT_EQ(bank->FindField("otp"), nullptr) << "the code is the entry's, not a custom field";
  EXPECT_EQ(FieldValue(*bank, kSourceIdField), "keepass:ZW50cnkwMDAwMDAwMDAwMw==");
  EXPECT_EQ(bank->created, kCreated);
  EXPECT_EQ(bank->modified, kModified);
  ASSERT_EQ(bank->history.size(), 1u);
  EXPECT_EQ(bank->history[0].password, "old");
  EXPECT_EQ(bank->history[0].replacedAt, kModified);
  const Entry* mail = Titled(plan.Entries(), "mail.example.org");
  ASSERT_NE(mail, nullptr);
  EXPECT_EQ(mail->url, "https://mail.example.org:8443/login");
  EXPECT_EQ(FormatImportSummary(plan.Summary(), ImportStage::kPreview),
            "3 entries read as keepass-xml.\n"
            "3 new entries to import.\n"
            "1 entry in the recycle bin, skipped.\n"
            "Left behind (the safe has no place for them): 1 attachment.\n");
}

TEST(WholeEntries, BitwardenJsonKeepsLoginsAndSecureNotes) {
  ImportPlan plan(SafeFormat::kStrong);
  Plan(Fixture("bitwarden.json"), &plan);
  const Entry* bank = Titled(plan.Entries(), "Bank, \"main\"");
  ASSERT_NE(bank, nullptr);
  EXPECT_EQ(bank->url, "https://bank.example.com");
  EXPECT_EQ(bank->notes, "line one\nline two");
  EXPECT_NE(bank->totp.view().find(kBankTotpSecret), std::string_view::npos) << bank->totp.view();
  EXPECT_EQ(Tags(*bank), std::vector<std::string>({"Finance/Banks"})) << "the folder's name, one tag";
  bool pin_protected = false;
  EXPECT_EQ(FieldValue(*bank, "PIN", &pin_protected), "1234");
  EXPECT_TRUE(pin_protected);
  EXPECT_EQ(FieldValue(*bank, kSourceIdField), "bitwarden:a0000000-0000-4000-8000-000000000001");
  EXPECT_EQ(bank->created, kCreated);
  EXPECT_EQ(bank->modified, kModified);
  ASSERT_EQ(bank->history.size(), 2u);
  EXPECT_EQ(bank->history[0].password, "older");
  EXPECT_EQ(bank->history[1].password, "old");
  const Entry* mail = Titled(plan.Entries(), "mail.example.org");
  ASSERT_NE(mail, nullptr);
  EXPECT_EQ(FieldValue(*mail, "URL 2"), "https://mail.example.org/other");
  const Entry* note = Titled(plan.Entries(), "Wifi");
  ASSERT_NE(note, nullptr) << "a secure note is an entry with notes";
  EXPECT_EQ(note->notes, "code");
  EXPECT_EQ(FormatImportSummary(plan.Summary(), ImportStage::kPreview),
            "4 entries read as bitwarden-json.\n"
            "4 new entries to import.\n"
            "1 of them has no password.\n"
            "2 items are not a login (card, secure note, identity), skipped.\n"
            "Left behind (the safe has no place for them): 1 passkey, 1 collection.\n");
}

// Each form KeePass-family programs keep a code in becomes the entry's code,
// its fields no custom fields; one that cannot make codes stays as written.
TEST(WholeEntries, KeepassCodeFieldsBecomeTheEntrysCode) {
  struct Case {
    const char* what;
    const char* strings;
    const char* in_uri;      // null: no code
    const char* kept_field;  // a field left as it came, or null
  };
  const Case cases[] = {
      {"KeePassXC otp", "<String><Key>otp</Key><Value>otpauth://totp/x?secret=JBSWY3DPEHPK3PXP</Value></String>",
       "secret=JBSWY3DPEHPK3PXP", nullptr},
      {"KeePass TimeOtp",
       "<String><Key>TimeOtp-Secret-Base32</Key><Value>JBSWY3DPEHPK3PXP</Value></String>"
       "<String><Key>TimeOtp-Length</Key><Value>8</Value></String>"
       "<String><Key>TimeOtp-Algorithm</Key><Value>HMAC-SHA-256</Value></String>",
       "digits=8", nullptr},
      {"TOTP Seed and Settings",
       "<String><Key>TOTP Seed</Key><Value>JBSWY3DPEHPK3PXP</Value></String>"
       "<String><Key>TOTP Settings</Key><Value>60;6</Value></String>",
       "period=60", nullptr},
      {"KeeOTP otp",
       "<String><Key>otp</Key><Value>key=JBSWY3DPEHPK3PXP&amp;step=25&amp;size=8&amp;otpHashMode=Sha256</Value>"
       "</String>",
       "secret=JBSWY3DPEHPK3PXP&algorithm=SHA256&digits=8&period=25", nullptr},
      {"unreadable", "<String><Key>TimeOtp-Secret-Hex</Key><Value>not hex</Value></String>", nullptr,
       "TimeOtp-Secret-Hex"},
      // A NUL no entry can hold: the code stays as the field it came in.
      {"escaped NUL", "<String><Key>otp</Key><Value>otpauth://totp/a%00b?secret=JBSWY3DPEHPK3PXP</Value></String>",
       nullptr, "otp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string xml = std::string("<KeePassFile><Root><Group><Name>Top</Name><Entry>") +
                      "<String><Key>Title</Key><Value>Site</Value></String>" + c.strings +
                      "</Entry></Group></Root></KeePassFile>";
    ImportPlan plan(SafeFormat::kStrong);
    Plan(xml, &plan);
    ASSERT_EQ(plan.Entries().size(), 1u);
    const Entry& entry = plan.Entries()[0];
    if (c.in_uri == nullptr) {
      EXPECT_TRUE(entry.totp.empty()) << entry.totp.view();
    } else {
      EXPECT_NE(entry.totp.view().find(c.in_uri), std::string_view::npos) << entry.totp.view();
    }
    if (c.kept_field == nullptr) {
      EXPECT_TRUE(entry.fields.empty());
    } else {
      EXPECT_NE(entry.FindField(c.kept_field), nullptr);
    }
  }
}

// A code whose label holds a raw NUL can be neither read nor kept: the
// entry is refused and the import says so, instead of storing a code that
// can never be read again.
TEST(WholeEntries, ACodeWithANulIsToldNotStored) {
  const std::string json =
      R"({"encrypted":false,"items":[{"type":1,"name":"Site","login":{"username":"u","password":"p",)"
      R"("totp":"otpauth://totp/a\u0000b?secret=JBSWY3DPEHPK3PXP"}}]})";
  ImportPlan plan(SafeFormat::kStrong);
  std::string error;
  ASSERT_TRUE(PlanImportText(json, "bitwarden-json", &plan, &error)) << error;
  EXPECT_TRUE(plan.Entries().empty());
  ASSERT_EQ(plan.Problems().size(), 1u);
  EXPECT_NE(plan.Problems()[0].find(kEntryTextHasNulMessage), std::string::npos) << plan.Problems()[0];
}

TEST(WholeEntries, CsvFormatsKeepTheirColumns) {
  struct Case {
    const char* file;
    const char* bank_tag;  // empty: none
    int64_t bank_modified;
  };
  const Case cases[] = {
      {"keepassxc.csv", "Finance/Banks", 1767323045},
      {"bitwarden.csv", nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ImportPlan plan(SafeFormat::kStrong);
    Plan(Fixture(c.file), &plan);
    const Entry* bank = Titled(plan.Entries(), "Bank, \"main\"");
    ASSERT_NE(bank, nullptr);
    EXPECT_EQ(bank->url, "https://bank.example.com");
    EXPECT_EQ(bank->notes, "line one\nline two");
    EXPECT_NE(bank->totp.view().find(kBankTotpSecret), std::string_view::npos) << bank->totp.view();
    if (c.bank_tag != nullptr) {
      EXPECT_EQ(Tags(*bank), std::vector<std::string>({c.bank_tag}));
    }
    if (c.bank_modified != 0) {
      EXPECT_EQ(bank->modified, c.bank_modified);
    }
  }
  ImportPlan firefox(SafeFormat::kStrong);
  Plan(Fixture("firefox.csv"), &firefox);
  ASSERT_FALSE(firefox.Entries().empty());
  EXPECT_EQ(firefox.Entries()[0].url, "https://bank.example.com");
  EXPECT_EQ(firefox.Entries()[0].created, 1700000000);
  EXPECT_EQ(firefox.Entries()[0].modified, 1700000000);
  EXPECT_EQ(FormatImportSummary(firefox.Summary(), ImportStage::kPreview),
            "3 entries read as firefox-csv.\n"
            "3 new entries to import.\n"
            "Left behind (the safe has no place for them): 1 HTTP realm.\n");
}

TEST(WholeEntries, EachWritableFormatReadsBackTheFieldsItHasAPlaceFor) {
  struct Carries {
    const char* format;
    bool all_tags;  // else only the first, as a group or folder
    bool fields;
    bool protected_flag;
    bool times;
    bool history;
  };
  const Carries formats[] = {
      {"quillbox-csv", true, false, false, true, false}, {"keepassxc-csv", false, false, false, true, false},
      {"keepass-xml", true, true, true, true, true},     {"bitwarden-csv", false, true, false, false, false},
      {"bitwarden-json", false, true, true, true, true},
  };
  std::vector<Entry> entries = {FullEntry()};
  for (const Carries& c : formats) {
    SCOPED_TRACE(c.format);
    std::string written, error;
    ASSERT_TRUE(FindInterchangeFormat(c.format)->write(entries, &written, &error)) << error;
    ImportPlan plan(SafeFormat::kStrong);
    ASSERT_TRUE(PlanImportText(written, c.format, &plan, &error)) << error;
    ASSERT_EQ(plan.Entries().size(), 1u);
    const Entry& back = plan.Entries()[0];
    const Entry& sent = entries[0];
    EXPECT_EQ(back.title, sent.title);
    EXPECT_EQ(back.userName, sent.userName);
    EXPECT_EQ(back.password, sent.password);
    EXPECT_EQ(back.url, sent.url);
    EXPECT_EQ(back.notes, sent.notes);
    EXPECT_EQ(back.totp, sent.totp);
    EXPECT_EQ(Tags(back), c.all_tags ? Tags(sent) : std::vector<std::string>({"Work/VPN"}));
    if (c.fields) {
      bool pin_protected = !c.protected_flag;
      EXPECT_EQ(FieldValue(back, "PIN", &pin_protected), "1234");
      EXPECT_EQ(pin_protected, c.protected_flag);
      EXPECT_EQ(FieldValue(back, "Branch"), "Main Street");
    }
    if (c.times) {
      EXPECT_EQ(back.created, sent.created);
      EXPECT_EQ(back.modified, sent.modified);
    }
    if (c.history) {
      ASSERT_EQ(back.history.size(), 2u);
      EXPECT_EQ(back.history[0].password, "older");
      EXPECT_EQ(back.history[1].password, "old");
      EXPECT_EQ(back.history[0].replacedAt, sent.history[0].replacedAt);
    }
    EXPECT_EQ(plan.Summary().attachments + plan.Summary().passkeys, 0u);
  }
}

TEST(WholeEntries, AQuillboxCsvOfThreeColumnsStillImports) {
  ImportPlan plan(SafeFormat::kStrong);
  Plan("Description,Username,Password\r\nBank,jdoe,pw\r\n", &plan);
  ASSERT_EQ(plan.Entries().size(), 1u);
  EXPECT_EQ(plan.Entries()[0].password, "pw");
  EXPECT_TRUE(plan.Entries()[0].url.empty());
}

TEST(WholeEntries, ALegacySafeKeepsThreeFieldsAndCountsTheRest) {
  ImportPlan plan(SafeFormat::kLegacy);
  Plan(Fixture("keepass.xml"), &plan);
  for (const Entry& entry : plan.Entries()) {
    Entry three;
    three.title = entry.title;
    three.userName = entry.userName;
    three.password = entry.password;
    EXPECT_EQ(entry, three);
  }
  EXPECT_EQ(plan.Summary().urls, 2u);
  EXPECT_EQ(plan.Summary().custom_fields, 2u);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(WholeEntries, ANewerExportOfTheSameRecordsUpdatesTheirEntries) {
  struct Case {
    const char* file;
    std::string old_password, new_password, old_time, new_time;
  };
  const Case cases[] = {
      {"keepass.xml", ">pa&quot;ss,1<", ">n3w<", "<LastModificationTime>2025-02-03T04:05:06Z",
       "<LastModificationTime>2026-03-04T05:06:07Z"},
      {"bitwarden.json", "\"pa\\\"ss,1\"", "\"n3w\"", "\"revisionDate\": \"2025-02-03",
       "\"revisionDate\": \"2026-03-04"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::string first = Fixture(c.file);
    ImportPlan plan(SafeFormat::kStrong);
    Plan(first, &plan);
    EntryList safe;
    for (Entry& entry : plan.Entries()) {
      entry.id = EntryId::Random();
      safe.entries.push_back(entry);
    }
    const EntryId bank_id = Titled(safe.entries, "Bank, \"main\"")->id;
    // The same export again adds nothing.
    ImportPlan again(SafeFormat::kStrong);
    Plan(first, &again);
    again.SkipExisting(safe.entries);
    EXPECT_TRUE(again.Entries().empty());
    EXPECT_EQ(again.Summary().already_in_safe, safe.entries.size());
    // A later one with the bank's password changed updates that entry.
    std::string newer = Replaced(Replaced(first, c.old_password, c.new_password), c.old_time, c.new_time);
    ImportPlan update(SafeFormat::kStrong);
    Plan(newer, &update);
    update.SkipExisting(safe.entries);
    ASSERT_EQ(update.Entries().size(), 1u);
    EXPECT_EQ(update.Entries()[0].id, bank_id);
    EXPECT_EQ(update.Summary().updated, 1u);
    EXPECT_EQ(update.Summary().imported, 0u);
    EXPECT_NE(FormatImportSummary(update.Summary(), ImportStage::kDone)
                  .find("1 entry updated from a newer version in the file.\n"),
              std::string::npos);
    // Added the way the application adds an import: by id.
    for (const Entry& entry : update.Entries()) PutEntryById(safe, entry);
    ASSERT_EQ(safe.entries.size(), plan.Entries().size()) << "no second copy";
    const Entry* bank = Titled(safe.entries, "Bank, \"main\"");
    EXPECT_EQ(bank->password, "n3w");
    std::vector<std::string> history;
    for (const PasswordHistoryItem& item : bank->history) history.emplace_back(item.password.view());
    EXPECT_NE(std::find(history.begin(), history.end(), "pa\"ss,1"), history.end()) << "the older password is kept";
  }
}

}  // namespace
