// KeePass field references resolved among a safe's entries: by the UUID an
// entry had in KeePass or by its own id, with text around them, and never
// followed for ever (a missing entry, a loop, a chain too deep, a fan too wide).
#include "safe/field_reference.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "safe/imported_id.h"
#include "tests/unit/safe/reference_to.h"

namespace {

constexpr char kBankUuid[] = "46C9B1FFBD4ABC4BBB260C6190BAD20C";
constexpr char kBankImportedId[] = "keepass:Rsmx/71KvEu7JgxhkLrSDA==";
constexpr char kMissing[] = "5060E2E0AAAA4B0B8C7D0E1F20304050";

std::string Ref(char field, const std::string& uuid) { return std::string("{REF:") + field + "@I:" + uuid + "}"; }

Entry Named(const std::string& title, const std::string& password) {
  Entry entry;
  entry.id = EntryId::Random();
  entry.title = title;
  entry.password = password;
  return entry;
}

class FieldReferenceTest : public testing::Test {
 protected:
  void SetUp() override {
    Entry bank = Named("Bank", "bank-pw");
    bank.userName = "alice";
    bank.url = "https://bank.example.org";
    bank.notes = "branch 12";
    bank.SetField(kSourceIdField, kBankImportedId, false);
    entries_.push_back(bank);
    entries_.push_back(Named("Mail", Ref('P', kBankUuid)));  // 1
    entries_.push_back(Named("Loop one", ""));               // 2
    entries_.push_back(Named("Loop two", ""));               // 3
    entries_[2].password = ReferenceTo('P', entries_[3]);
    entries_[3].password = ReferenceTo('P', entries_[2]);
    entries_.push_back(Named("Self", ""));  // 4
    entries_[4].password = ReferenceTo('P', entries_[4]);
    // A chain: each link's password names the next one's, the last is plain.
    chain_start_ = entries_.size();
    for (int i = 0; i <= 10; ++i) entries_.push_back(Named("Link", "end"));
    for (size_t i = chain_start_; i < chain_start_ + 10; ++i) entries_[i].password = ReferenceTo('P', entries_[i + 1]);
    // A fan: each level names the next four times over, ten levels deep.
    fan_start_ = entries_.size();
    for (int i = 0; i <= 10; ++i) entries_.push_back(Named("Fan", "leaf"));
    for (size_t i = fan_start_; i < fan_start_ + 10; ++i) {
      std::string four;
      for (int j = 0; j < 4; ++j) four += ReferenceTo('P', entries_[i + 1]);
      entries_[i].password = four;
    }
  }

  std::vector<Entry> entries_;
  size_t chain_start_ = 0, fan_start_ = 0;
};

TEST_F(FieldReferenceTest, ResolvesWhatCanBeAndKeepsTheRestAsWritten) {
  const std::string bank = kBankUuid;
  const std::string missing = Ref('P', kMissing), loop = ReferenceTo('P', entries_[2]);
  const std::string too_deep = ReferenceTo('P', entries_[chain_start_]);
  const std::string fan = ReferenceTo('P', entries_[fan_start_]);
  std::string lower_case = "{ref:u@i:" + bank + "}";
  for (char& c : lower_case) c = static_cast<char>(tolower(c));
  struct Case {
    const char* what;
    std::string value;
    std::string shown;
  } cases[] = {
      {"plain", "no reference here {REF", "no reference here {REF"},
      {"password by KeePass UUID", Ref('P', bank), "bank-pw"},
      {"each field", Ref('T', bank) + Ref('U', bank) + Ref('A', bank) + Ref('N', bank),
       "Bankalicehttps://bank.example.orgbranch 12"},
      {"the UUID itself", Ref('I', "46c9b1ffbd4abc4bbb260c6190bad20c"), bank},
      {"any case", lower_case, "alice"},
      {"prefix and suffix", "A" + Ref('P', bank) + "BC", "Abank-pwBC"},
      {"by its own id", ReferenceTo('T', entries_[1]), "Mail"},
      {"a reference to a reference", ReferenceTo('P', entries_[1]), "bank-pw"},
      {"missing entry", "x" + missing + "y", "x" + missing + "y"},
      {"one missing beside one found", Ref('U', bank) + "/" + missing, "alice/" + missing},
      {"loop", loop, loop},
      {"itself", ReferenceTo('P', entries_[4]), ReferenceTo('P', entries_[4])},
      {"deepest chain followed", ReferenceTo('P', entries_[chain_start_ + 1]), "end"},
      {"one link deeper", too_deep, too_deep},
      {"fan of a million", fan, fan},
      {"unknown field", "{REF:X@I:" + bank + "}", "{REF:X@I:" + bank + "}"},
      {"found by title, which is not followed", "{REF:P@T:Bank}", "{REF:P@T:Bank}"},
      {"not a UUID", "{REF:P@I:" + bank.substr(1) + "}", "{REF:P@I:" + bank.substr(1) + "}"},
      {"unclosed", "{REF:P@I:" + bank, "{REF:P@I:" + bank},
  };
  FieldReferences references(entries_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(references.Resolve(c.value).view(), c.shown);
    EXPECT_EQ(ResolveFieldReferences(c.value, entries_).view(), c.shown);
  }
}

TEST_F(FieldReferenceTest, TellsWhichEntryAFieldRefersTo) {
  FieldReferences references(entries_);
  EXPECT_TRUE(HasFieldReference("x{ReF:P@I:nothing}"));
  EXPECT_FALSE(HasFieldReference("{RE:P@I:}"));
  EXPECT_EQ(references.FirstTarget("x" + Ref('P', kMissing) + Ref('U', kBankUuid)), &entries_[0]);
  EXPECT_EQ(references.FirstTarget(Ref('P', kMissing)), nullptr);
  EXPECT_EQ(references.FirstTarget("plain"), nullptr);
}

TEST_F(FieldReferenceTest, AWholeEntryResolvesEveryTextField) {
  Entry entry = Named(Ref('T', kBankUuid) + " copy", Ref('P', kBankUuid));
  entry.userName = Ref('U', kBankUuid);
  entry.url = Ref('A', kBankUuid);
  entry.notes = "see " + Ref('N', kBankUuid);
  entry.SetField("PIN", "pin of " + Ref('U', kBankUuid), true);
  Entry resolved = WithFieldReferencesResolved(entry, FieldReferences(entries_));
  EXPECT_EQ(resolved.title.view(), "Bank copy");
  EXPECT_EQ(resolved.userName.view(), "alice");
  EXPECT_EQ(resolved.password.view(), "bank-pw");
  EXPECT_EQ(resolved.url.view(), "https://bank.example.org");
  EXPECT_EQ(resolved.notes.view(), "see branch 12");
  EXPECT_EQ(resolved.FindField("PIN")->value.view(), "pin of alice");
  EXPECT_EQ(resolved.id, entry.id);
}

}  // namespace
