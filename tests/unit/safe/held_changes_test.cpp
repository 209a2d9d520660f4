#include "safe/held_changes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include "tests/unit/safe/safe_test_dir.h"

// Changes held over a lock are sealed under the safe's key: what is kept
// shows none of them, the same key gets them back, and any other key gets
// nothing and loses nothing.

namespace {

constexpr uint8_t kSaltA[kStrongSaltSize] = {1};
constexpr uint8_t kSaltB[kStrongSaltSize] = {2};

Entry MakeEntry(const char* title, const char* userName, const char* password, const char* notes = "") {
  Entry entry;
  entry.id = EntryId::Random();
  entry.title = title;
  entry.userName = userName;
  entry.password = password;
  entry.notes = notes;
  entry.modified = 1700000000;
  return entry;
}

// An edit of one entry and a deletion of another, as a lock finds them.
HeldChanges::Changes MakeChanges() {
  HeldChanges::Changes changes;
  auto edit = std::make_unique<EntryChange>();
  Entry before = MakeEntry("Bank", "jdoe", "old-bank-pass");
  Entry after = before;
  after.password = "tide-4471-secret";
  after.notes = "Recovery 8812";
  edit->Remove(0, before);
  edit->Add(after);
  edit->isEdit = true;
  changes.push_back(std::move(edit));
  auto deletion = std::make_unique<EntryChange>();
  deletion->Remove(3, MakeEntry("Weather token", "wx", "gale-9093-secret"));
  deletion->deleted.push_back({EntryId::Random(), 1700000100});
  deletion->madeAt = 1700000100;
  changes.push_back(std::move(deletion));
  return changes;
}

std::vector<std::string_view> PlainTexts(const HeldChanges::Changes& changes) {
  std::vector<std::string_view> texts;
  auto add = [&texts](const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
      // Shorter texts could turn up in random bytes by chance.
      for (const SecretText* text : {&entry.title, &entry.userName, &entry.password, &entry.notes}) {
        if (text->view().size() >= 4) texts.push_back(text->view());
      }
      texts.emplace_back(reinterpret_cast<const char*>(entry.id.bytes.data()), entry.id.bytes.size());
    }
  };
  for (const auto& change : changes) {
    add(change->removed);
    add(change->added);
  }
  return texts;
}

void ExpectSame(const HeldChanges::Changes& actual, const HeldChanges::Changes& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    EXPECT_EQ(actual[i]->removed, expected[i]->removed);
    EXPECT_EQ(actual[i]->removedAt, expected[i]->removedAt);
    EXPECT_EQ(actual[i]->added, expected[i]->added);
    EXPECT_EQ(actual[i]->deleted, expected[i]->deleted);
    EXPECT_EQ(actual[i]->isEdit, expected[i]->isEdit);
    EXPECT_EQ(actual[i]->madeAt, expected[i]->madeAt);
  }
}

HeldSafeKey Strong(const char* password, const uint8_t* salt) {
  HeldSafeKey key;
  EXPECT_TRUE(key.DeriveStrong(password, kTinySafeParams, salt));
  return key;
}

HeldSafeKey Legacy(const char* password) {
  HeldSafeKey key;
  EXPECT_TRUE(key.HoldLegacyPassword(password));
  return key;
}

TEST(HeldChanges, AreSealedUnderTheSafesKeyAndOpenOnlyUnderIt) {
  struct Case {
    const char* name;
    std::function<HeldSafeKey()> right;
    std::vector<std::function<HeldSafeKey()>> wrong;
  };
  const std::vector<Case> cases = {
      {"strong",
       [] { return Strong("pw", kSaltA); },
       {[] { return Strong("pw", kSaltB); }, [] { return Strong("pW", kSaltA); }, [] { return Legacy("pw"); },
        [] { return HeldSafeKey(); }}},
      {"legacy",
       [] { return Legacy("pw"); },
       {[] { return Legacy("pW"); }, [] { return Legacy("pw "); }, [] { return Strong("pw", kSaltA); }}},
  };
  SafeTestDir dir;
  const std::string path = dir.SafePath("alice");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HeldChanges::Changes expected = MakeChanges();
    HeldChanges::Changes changes = MakeChanges();
    for (size_t i = 0; i < changes.size(); ++i) *changes[i] = *expected[i];

    HeldChanges held;
    ASSERT_TRUE(held.Hold(path.c_str(), c.right(), changes));
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(held.Count(), 2u);
    const std::string sealed(held.Sealed().begin(), held.Sealed().end());
    for (std::string_view text : PlainTexts(expected)) {
      EXPECT_EQ(sealed.find(text), std::string::npos) << "the held bytes show " << text;
    }

    for (const auto& wrong : c.wrong) {
      HeldChanges::Changes taken;
      EXPECT_FALSE(held.TakeFor(path.c_str(), wrong(), taken));
      EXPECT_TRUE(taken.empty());
      EXPECT_EQ(held.Count(), 2u);
      EXPECT_EQ(std::string(held.Sealed().begin(), held.Sealed().end()), sealed);
    }

    // The password derives the key again, as the next log-in does.
    HeldSafeKey again;
    ASSERT_TRUE(held.DeriveKeyFor("pw", again));
    HeldChanges::Changes taken;
    ASSERT_TRUE(held.TakeFor(path.c_str(), again, taken));
    ExpectSame(taken, expected);
    EXPECT_TRUE(held.IsEmpty());
    EXPECT_TRUE(held.Sealed().empty());
  }
}

// A fresh salt and nonce every time: two holds of the same changes share
// no sealed bytes beyond chance.
TEST(HeldChanges, EachHoldSealsAfresh) {
  SafeTestDir dir;
  const std::string path = dir.SafePath("alice");
  HeldChanges first;
  HeldChanges second;
  HeldChanges::Changes changes = MakeChanges();
  HeldChanges::Changes same = MakeChanges();
  for (size_t i = 0; i < changes.size(); ++i) *same[i] = *changes[i];
  ASSERT_TRUE(first.Hold(path.c_str(), Legacy("pw"), changes));
  ASSERT_TRUE(second.Hold(path.c_str(), Legacy("pw"), same));
  ASSERT_EQ(first.Sealed().size(), second.Sealed().size());
  const size_t equal = std::inner_product(first.Sealed().begin(), first.Sealed().end(), second.Sealed().begin(),
                                          size_t{0}, std::plus<>(), std::equal_to<>());
  EXPECT_LT(equal, first.Sealed().size() / 16);
}

}  // namespace
