#include "secret_service/item_attributes.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

ItemAttributes Attributes(std::initializer_list<std::pair<const char*, const char*>> pairs) {
  ItemAttributes attributes;
  for (const auto& [name, value] : pairs) attributes.push_back({SecretText(name), SecretText(value)});
  return attributes;
}

std::vector<std::pair<std::string, std::string>> Plain(const ItemAttributes& attributes) {
  std::vector<std::pair<std::string, std::string>> plain;
  for (const ItemAttribute& a : attributes) plain.emplace_back(std::string(a.name.view()), std::string(a.value.view()));
  return plain;
}

Entry MailEntry() {
  Entry entry;
  entry.title = "Mail";
  entry.userName = "jdoe";
  entry.password = "not-a-real-password";
  entry.url = "https://mail.example.com";
  entry.SetField("service", "imap", false);
  entry.SetField("PIN", "4321", true);
  entry.SetField("Title", "shadowed", false);
  entry.AddTag(kSecretServiceTag);
  return entry;
}

TEST(ItemAttributes, AnEntryShowsItsDesignedFieldsAndUnprotectedCustomFields) {
  Entry entry = MailEntry();
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(Plain(AttributesOf(entry)),
            (Pairs{{"Title", "Mail"}, {"UserName", "jdoe"}, {"URL", "https://mail.example.com"}, {"service", "imap"}}));
  // A protected field cannot be searched for.
  EXPECT_EQ(AttributeValue(entry, "PIN"), nullptr);
}

TEST(ItemAttributes, SearchMatchesEveryWantedAttributeExactlyAmongServedEntries) {
  std::vector<Entry> entries(4, MailEntry());
  entries[1].SetField("service", "smtp", false);
  entries[2].userName = "other";
  entries[3].RemoveTag(kSecretServiceTag);  // the user's own: no item at all
  struct Case {
    ItemAttributes wanted;
    std::vector<size_t> found;
  };
  const Case cases[] = {
      {{}, {0, 1, 2}},
      {Attributes({{"service", "imap"}}), {0, 2}},
      {Attributes({{"service", "imap"}, {"UserName", "jdoe"}}), {0}},
      {Attributes({{"service", "IMAP"}}), {}},
      {Attributes({{"PIN", "4321"}}), {}},
      {Attributes({{"Title", "shadowed"}}), {}},
      {Attributes({{"missing", ""}}), {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SearchEntries(entries, c.wanted), c.found);
}

TEST(ItemAttributes, AHugeSearchFindsNothingWithoutLookingAtEveryPair) {
  std::vector<Entry> entries(2000, MailEntry());
  ItemAttributes wanted;
  for (int i = 0; i < 100000; ++i) wanted.push_back({SecretText("n" + std::to_string(i)), SecretText("v")});
  EXPECT_TRUE(SearchEntries(entries, wanted).empty());
}

TEST(ItemAttributes, AClientsItemBecomesATaggedEntryWhoseAttributesComeBack) {
  const ItemAttributes given =
      Attributes({{"service", "git"}, {"UserName", "jdoe"}, {"URL", "https://example.org"}, {"Title", "ignored"}});
  ASSERT_EQ(CheckClientAttributes(given), nullptr);
  Entry entry = NewItemEntry("git credentials", given, "token-123");
  EXPECT_EQ(entry.title, "git credentials");  // the label wins over a Title attribute
  EXPECT_EQ(entry.userName, "jdoe");
  EXPECT_EQ(entry.url, "https://example.org");
  EXPECT_EQ(entry.password, "token-123");
  EXPECT_TRUE(entry.HasTag(kSecretServiceTag));
  ASSERT_EQ(entry.fields.size(), 1u);
  EXPECT_EQ(entry.fields[0].name, "service");
  EXPECT_FALSE(entry.fields[0].isProtected);
  EXPECT_EQ(SearchEntries({entry}, Attributes({{"service", "git"}, {"UserName", "jdoe"}})), std::vector<size_t>{0});
}

TEST(ItemAttributes, NewAttributesReplaceTheUnprotectedFieldsOnly) {
  Entry entry = MailEntry();
  ApplyAttributes(Attributes({{"PIN", "0000"}, {"port", "993"}}), &entry);
  ASSERT_NE(entry.FindField("PIN"), nullptr);
  EXPECT_EQ(entry.FindField("PIN")->value, "4321");  // a client cannot overwrite what it cannot read
  EXPECT_EQ(entry.FindField("service"), nullptr);
  EXPECT_EQ(entry.FindField("Title"), nullptr);
  ASSERT_NE(entry.FindField("port"), nullptr);
  EXPECT_EQ(entry.title, "Mail");
}

TEST(ItemAttributes, ClientAttributesAreBounded) {
  ItemAttributes many;
  for (size_t i = 0; i <= kMaxItemAttributes; ++i) many.push_back({SecretText("n" + std::to_string(i)), SecretText()});
  EXPECT_STREQ(CheckClientAttributes(many), kTooManyAttributesMessage);
  many.pop_back();
  EXPECT_EQ(CheckClientAttributes(many), nullptr);
  EXPECT_STREQ(CheckClientAttributes(Attributes({{"", "x"}})), kBadAttributeNameMessage);
  EXPECT_STREQ(CheckClientAttributes(Attributes({{"a", "1"}, {"a", "2"}})), kBadAttributeNameMessage);
}

TEST(ItemAttributes, ReplaceFindsTheItemWithTheSameAttributesOnly) {
  const ItemAttributes given = Attributes({{"service", "git"}, {"user", "jdoe"}});
  std::vector<Entry> entries;
  entries.push_back(NewItemEntry("more", Attributes({{"service", "git"}, {"user", "jdoe"}, {"x", "1"}}), "a"));
  entries.push_back(NewItemEntry("fewer", Attributes({{"service", "git"}}), "b"));
  EXPECT_FALSE(FindSameItem(entries, given).has_value());
  entries.push_back(NewItemEntry("same", given, "c"));
  entries.back().SetField("PIN", "1", true);  // protected fields are not attributes
  EXPECT_EQ(FindSameItem(entries, given), std::optional<size_t>(2));
  // An entry the user did not give to the Secret Service is never replaced.
  entries[2].RemoveTag(kSecretServiceTag);
  EXPECT_FALSE(FindSameItem(entries, given).has_value());
}

TEST(ItemAttributes, ReplaceWithoutAttributesFindsNothing) {
  // Entries without custom fields have "no attributes beyond" an empty set.
  std::vector<Entry> entries{NewItemEntry("Bank", {}, "a"), NewItemEntry("Mail", {}, "b")};
  EXPECT_FALSE(FindSameItem(entries, {}).has_value());
  EXPECT_FALSE(FindSameItem(entries, Attributes({{"service", ""}})).has_value());
  entries[1].SetField("service", "", false);
  EXPECT_FALSE(FindSameItem(entries, Attributes({{"service", ""}})).has_value());
}

}  // namespace
