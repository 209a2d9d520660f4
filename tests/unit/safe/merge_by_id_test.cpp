#include "safe/merge_by_id.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

EntryId Id(uint8_t n) {
  EntryId id;
  id.bytes.fill(n);
  return id;
}

Entry Make(uint8_t id, const char* password, int64_t modified) {
  Entry entry;
  entry.id = Id(id);
  entry.title = "Entry " + std::to_string(id);
  entry.password = password;
  entry.created = 100;
  entry.modified = modified;
  return entry;
}

// An entry whose password changed from was to password at modified.
Entry Changed(uint8_t id, const char* was, const char* password, int64_t modified) {
  Entry entry = Make(id, was, 200);
  entry.ChangePassword(password, modified);
  entry.MarkModified(modified);
  return entry;
}

EntryList ListOf(std::vector<Entry> entries, std::vector<EntryTombstone> tombstones = {}) {
  EntryList list;
  list.entries = std::move(entries);
  list.tombstones = std::move(tombstones);
  return list;
}

// "id:password" per entry, in order, and the history of each as "id<old".
std::vector<std::string> Describe(const EntryList& list) {
  std::vector<std::string> out;
  for (const Entry& entry : list.entries) {
    out.push_back(std::to_string(entry.id.bytes[0]) + ":" + std::string(entry.password.view()));
    for (const PasswordHistoryItem& item : entry.history) {
      out.push_back(std::to_string(entry.id.bytes[0]) + "<" + std::string(item.password.view()));
    }
  }
  for (const EntryTombstone& tombstone : list.tombstones) out.push_back("x" + std::to_string(tombstone.id.bytes[0]));
  return out;
}

}  // namespace

TEST(MergeById, EachCaseOfTwoCopiesEditedApart) {
  struct Case {
    const char* what;
    EntryList ours;
    EntryList theirs;
    std::vector<std::string> merged;
  } cases[] = {
      {"changed on their side only", ListOf({Make(1, "a", 200)}), ListOf({Changed(1, "a", "b", 300)}), {"1:b", "1<a"}},
      {"changed on our side only", ListOf({Changed(1, "a", "b", 300)}), ListOf({Make(1, "a", 200)}), {"1:b", "1<a"}},
      {"changed on both: the later wins, the other password goes to its history",
       ListOf({Make(1, "ours", 300)}),
       ListOf({Make(1, "theirs", 400)}),
       {"1:theirs", "1<ours"}},
      {"changed on both, ours later",
       ListOf({Make(1, "ours", 500)}),
       ListOf({Make(1, "theirs", 400)}),
       {"1:ours", "1<theirs"}},
      {"deleted there after our last change",
       ListOf({Make(1, "a", 200), Make(2, "k", 200)}),
       ListOf({Make(2, "k", 200)}, {{Id(1), 250}}),
       {"2:k", "x1"}},
      {"deleted there, changed here later: the change stays",
       ListOf({Make(1, "new", 300)}),
       ListOf({}, {{Id(1), 250}}),
       {"1:new"}},
      {"deleted here, an older copy there does not bring it back",
       ListOf({}, {{Id(1), 250}}),
       ListOf({Make(1, "a", 200)}),
       {"x1"}},
      {"deleted here, changed there later: it comes back",
       ListOf({}, {{Id(1), 250}}),
       ListOf({Make(1, "b", 300)}),
       {"1:b"}},
      {"new on each side: ours first, then theirs",
       ListOf({Make(1, "a", 200), Make(3, "c", 200)}),
       ListOf({Make(2, "b", 200), Make(1, "a", 200)}),
       {"1:a", "3:c", "2:b"}},
  };
  for (Case& c : cases) {
    MergeEntryLists(c.ours, c.theirs);
    EXPECT_EQ(Describe(c.ours), c.merged) << c.what;
  }
}

TEST(MergeById, BothDirectionsAgree) {
  EntryList a = ListOf({Make(1, "a1", 300), Make(2, "a2", 100), Make(4, "a4", 100)}, {{Id(3), 150}});
  EntryList b = ListOf({Make(1, "b1", 300), Make(2, "b2", 200), Make(3, "b3", 100)}, {{Id(4), 150}});
  EntryList ab = a, ba = b;
  MergeEntryLists(ab, b);
  MergeEntryLists(ba, a);
  auto byId = [](EntryList list) {
    std::sort(list.entries.begin(), list.entries.end(), [](const Entry& x, const Entry& y) { return x.id < y.id; });
    return list;
  };
  EXPECT_EQ(byId(ab), byId(ba));
  EXPECT_EQ(Describe(byId(ab)), (std::vector<std::string>{"1:b1", "1<a1", "2:b2", "2<a2", "x3", "x4"}));
}

TEST(MergeById, EqualStampsAreDecidedOnEveryFieldAlikeOnBothCopies) {
  struct Case {
    const char* field;
    void (*change)(Entry&);
  } cases[] = {
      {"title", [](Entry& e) { e.title = "Other"; }},
      {"user name", [](Entry& e) { e.userName = "u"; }},
      {"password", [](Entry& e) { e.password = "other"; }},
      {"web address", [](Entry& e) { e.url = "https://example.org"; }},
      {"notes", [](Entry& e) { e.notes = "n"; }},
      {"one-time code", [](Entry& e) { e.totp = "otpauth://totp/a?secret=GEZDGNBV"; }},
      {"a tag", [](Entry& e) { e.AddTag("work"); }},
      {"a custom field's value", [](Entry& e) { e.SetField("PIN", "1", false); }},
      {"a custom field's protection", [](Entry& e) { e.SetField("PIN", "0", true); }},
      {"a custom field more", [](Entry& e) { e.SetField("Door", "4", false); }},
      {"created", [](Entry& e) { e.created = 50; }},
      {"the history", [](Entry& e) { e.KeepInHistory("older", 120); }},
      {"a newer version's field",
       [](Entry& e) {
         e.unknown.push_back({0x50, SecretText("x")});
       }},
  };
  for (const Case& c : cases) {
    Entry mine = Make(1, "pw", 300);
    mine.SetField("PIN", "0", false);
    Entry yours = mine;
    c.change(yours);
    EntryList ab = ListOf({mine}), ba = ListOf({yours});
    MergeEntryLists(ab, ListOf({yours}));
    MergeEntryLists(ba, ListOf({mine}));
    EXPECT_EQ(ab, ba) << c.field;
  }
}

TEST(MergeById, ALocalEditAndDeleteWinOverAClockSetBack) {
  EntryList list = ListOf({Make(1, "seen", 5000), Make(2, "gone", 5000)});
  Entry edited = list.entries[0];
  edited.ChangePassword("typed", 4000);
  edited.MarkModified(4000);
  PutEntryById(list, edited);
  DeleteEntryById(list, Id(2), std::max<int64_t>(4000, list.entries[1].modified));
  EXPECT_EQ(Describe(list), (std::vector<std::string>{"1:typed", "1<seen", "x2"}));
}

TEST(MergeById, TheHistoryKeepsTheLatestTenInTimeOrder) {
  Entry winner = Make(1, "now", 1000);
  for (int i = 0; i < 10; ++i) winner.history.push_back({SecretText("h" + std::to_string(i)), 100 + i * 10});
  EntryList list = ListOf({winner});
  MergeEntryLists(list, ListOf({Make(1, "mid", 155)}));
  const auto& history = list.entries[0].history;
  ASSERT_EQ(history.size(), 10u);
  EXPECT_EQ(history.front().password, "h1");
  EXPECT_EQ(history[5].password, "mid");
  EXPECT_EQ(history.back().password, "h9");
}
