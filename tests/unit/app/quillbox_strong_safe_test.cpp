#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/safe_store.h"
#include "tests/unit/app/fake_view.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

using Lines = std::vector<std::string>;

class QuillboxStrongSafe : public ::testing::Test {
 protected:
  QuillboxStrongSafe() {
    app.SetView(&view);
    app.SetNewSafeParams(kTinySafeParams);
  }

  SafeInfo Info(const char* name) {
    SafeInfo info{};
    EXPECT_TRUE(GetSafeInfo(name, info));
    return info;
  }

  Lines SafeLines(const char* name, const char* password) {
    EntryList entries;
    EXPECT_TRUE(LoadSafe(name, password, entries));
    return ToVector(entries);
  }

  bool UpgradeItemEnabled() const {
    for (auto it = view.menuCalls.rbegin(); it != view.menuCalls.rend(); ++it) {
      if (it->first == kCmdUpgradeSafe) return it->second;
    }
    return false;
  }

  SafeTestDir dir;
  FakeView view;
  Quillbox app;
};

// One key derivation per password typed; saves and the reopen after a
// change run none (the view counts them).
TEST_F(QuillboxStrongSafe, NewUsersGetStrongSafesAndSavesDeriveNothing) {
  app.CreateUser(nullptr, "alice", "pw");
  ASSERT_TRUE(app.IsLoggedIn());
  EXPECT_EQ(view.busyRuns, 1);
  EXPECT_EQ(Info("alice").format, SafeFormat::kStrong);
  EXPECT_EQ(Info("alice").params, kTinySafeParams);
  EXPECT_FALSE(app.IsOpenSafeLegacy());
  EXPECT_FALSE(UpgradeItemEnabled());

  ASSERT_TRUE(app.AddEntry("d", "u", "p"));
  ASSERT_TRUE(app.EditEntry(0, "d2", "u", "p"));
  EXPECT_TRUE(app.LastSaveSucceeded());
  EXPECT_EQ(view.busyRuns, 1);
  EXPECT_EQ(SafeLines("alice", "pw"), Lines{"d2\tu\tp"});

  // A password change keeps the parameters the safe has, with a new salt.
  const std::string before = ReadTextFile(dir.SafePath("alice"));
  app.SetNewSafeParams({2, 16});
  ASSERT_TRUE(app.ChangePassword("alice", "new"));
  EXPECT_EQ(view.busyRuns, 2);
  const std::string after = ReadTextFile(dir.SafePath("alice"));
  EXPECT_EQ(after.substr(0, 16), before.substr(0, 16));
  EXPECT_NE(after.substr(16, 16), before.substr(16, 16));
  EXPECT_EQ(SafeLines("alice", "new"), Lines{"d2\tu\tp"});

  app.LogOut();
  EXPECT_FALSE(app.LogIn("alice", "pw"));
  ASSERT_TRUE(app.LogIn("alice", "new"));
  EXPECT_EQ(ToVector(app.GetEntries()), Lines{"d2\tu\tp"});
}

TEST_F(QuillboxStrongSafe, LegacyUsersStayLegacyUntilTheyUpgrade) {
  app.CreateUser(nullptr, "bob", "pw", SafeFormat::kLegacy);
  ASSERT_TRUE(app.IsLoggedIn());
  ASSERT_TRUE(app.AddEntry("Bank", "jdoe", "s3cr3t!"));
  ASSERT_TRUE(app.ChangePassword("bob", "pw2"));
  EXPECT_EQ(Info("bob").format, SafeFormat::kLegacy);
  EXPECT_TRUE(app.IsOpenSafeLegacy());
  EXPECT_TRUE(UpgradeItemEnabled());
  const std::string legacy = ReadTextFile(dir.SafePath("bob"));

  // No: nothing changes. The question says what older copies will do.
  view.answers = {kIdNo};
  app.RunUpgradeSafe(nullptr);
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].text, kUpgradeSafeQuestion);
  EXPECT_NE(view.boxes[0].text.find("Older copies of Quillbox cannot open"), std::string::npos);
  EXPECT_EQ(view.boxes[0].caption, kUpgradeSafeCaption);
  EXPECT_EQ(view.boxes[0].style, kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(ReadTextFile(dir.SafePath("bob")), legacy);

  view.answers = {kIdYes};
  app.RunUpgradeSafe(nullptr);
  EXPECT_EQ(view.boxes.size(), 2u);  // the question only
  EXPECT_EQ(Info("bob").format, SafeFormat::kStrong);
  EXPECT_EQ(Info("bob").params, kTinySafeParams);
  EXPECT_FALSE(UpgradeItemEnabled());
  EXPECT_EQ(SafeLines("bob", "pw2"), Lines{"Bank\tjdoe\ts3cr3t!"});

  // Strong from now on: saves keep it, and the command asks nothing.
  ASSERT_TRUE(app.AddEntry("Mail", "", "m"));
  EXPECT_EQ(Info("bob").format, SafeFormat::kStrong);
  app.RunUpgradeSafe(nullptr);
  EXPECT_EQ(view.boxes.size(), 2u);
  app.LogOut();
  ASSERT_TRUE(app.LogIn("bob", "pw2"));
  EXPECT_EQ(ToVector(app.GetEntries()), (Lines{"Bank\tjdoe\ts3cr3t!", "Mail\t\tm"}));
}

TEST_F(QuillboxStrongSafe, FailedUpgradeKeepsTheLegacySafeAndSaysSo) {
  EntryList entries;
  Fill(entries, {"a\tb\tc"});
  ASSERT_TRUE(SaveSafe("carol", "pw", entries));
  ASSERT_TRUE(app.LogIn("carol", "pw"));
  const std::string legacy = ReadTextFile(dir.SafePath("carol"));
  chmod(dir.SafePath("carol").c_str(), 0400);  // never replaced while read-only

  view.answers = {kIdYes};
  app.RunUpgradeSafe(nullptr);
  ASSERT_EQ(view.boxes.size(), 2u);
  EXPECT_EQ(view.boxes[1].text,
            std::string(kUpgradeSafeFailedMessage) + "\r\n\r\n" + dir.SafePath("carol") + ": Permission denied");
  EXPECT_EQ(view.boxes[1].caption, kErrorCaption);
  EXPECT_EQ(ReadTextFile(dir.SafePath("carol")), legacy);
  EXPECT_TRUE(app.IsOpenSafeLegacy());

  // Once writable again, saves are still legacy.
  chmod(dir.SafePath("carol").c_str(), 0600);
  ASSERT_TRUE(app.AddEntry("d", "e", "f"));
  EXPECT_EQ(Info("carol").format, SafeFormat::kLegacy);
  EXPECT_EQ(SafeLines("carol", "pw"), (Lines{"a\tb\tc", "d\te\tf"}));
}

// A copy made apart has a salt of its own: the held key cannot open it, so
// it waits for the password at the next log-in.
TEST_F(QuillboxStrongSafe, ConflictCopyWithItsOwnSaltMergesAtLogIn) {
  app.CreateUser(nullptr, "alice", "pw");
  ASSERT_TRUE(app.AddEntry("Bank", "jdoe", "b1"));
  HeldSafeKey apart;
  ASSERT_TRUE(DeriveNewSafeKey("pw", SafeFormat::kStrong, kTinySafeParams, apart));
  EntryList lines;
  Fill(lines, {"Mail\tjd\tm1"});
  const char kCopy[] = "alice.sync-conflict-20250101-101010-ABCDEF7";
  ASSERT_TRUE(SaveSafe(kCopy, apart, lines));

  ConflictMerge waiting = app.MergeConflictCopies();
  EXPECT_EQ(waiting.copies, 0u);
  EXPECT_EQ(ToVector(app.GetEntries()), Lines{"Bank\tjdoe\tb1"});
  EXPECT_TRUE(SafeExists(kCopy));

  app.LogOut();
  ASSERT_TRUE(app.SubmitLogIn(nullptr, "alice", "pw"));
  EXPECT_EQ(ToVector(app.GetEntries()), (Lines{"Bank\tjdoe\tb1", "Mail\tjd\tm1"}));
  EXPECT_EQ(SafeLines("alice", "pw"), (Lines{"Bank\tjdoe\tb1", "Mail\tjd\tm1"}));
  EXPECT_FALSE(SafeExists(kCopy));
}

// A copy whose header asks for more Argon2id work than the safe's own is
// never derived: told once, left on disk, and not tried at the next log-in.
TEST_F(QuillboxStrongSafe, ConflictCopyAskingForMoreWorkIsLeftAloneAndToldOnce) {
  app.CreateUser(nullptr, "alice", "pw");
  HeldSafeKey costly;
  ASSERT_TRUE(DeriveNewSafeKey("pw", SafeFormat::kStrong, {2, 16}, costly));
  EntryList lines;
  Fill(lines, {"Mail\tjd\tm1"});
  const char kCopy[] = "alice.sync-conflict-20250101-101010-ABCDEF7";
  ASSERT_TRUE(SaveSafe(kCopy, costly, lines));
  app.LogOut();

  const int derivationsBefore = view.busyRuns;
  ASSERT_TRUE(app.SubmitLogIn(nullptr, "alice", "pw"));
  EXPECT_EQ(view.busyRuns, derivationsBefore + 1);  // the log-in's own
  EXPECT_TRUE(app.GetEntries().size() == 0);
  EXPECT_TRUE(SafeExists(kCopy));
  ASSERT_FALSE(view.notes.empty());
  EXPECT_EQ(view.notes.back(), std::string(kCopy) + ".SAFE" + kCostlyCopyNote);

  app.LogOut();
  view.notes.clear();
  ASSERT_TRUE(app.SubmitLogIn(nullptr, "alice", "pw"));
  EXPECT_EQ(view.busyRuns, derivationsBefore + 2);
  EXPECT_TRUE(view.notes.empty());
  EXPECT_TRUE(SafeExists(kCopy));
}

}  // namespace

// A newer version's fields, and every field the window does not show, come
// through an edit in this one unchanged.
TEST_F(QuillboxStrongSafe, AnEditKeepsFieldsOfANewerVersion) {
  app.CreateUser(nullptr, "alice", "pw");
  Entry entry;
  entry.title = "Bank";
  entry.password = "b1";
  entry.url = "https://bank.example.com/";
  entry.notes = "two\nlines";
  entry.SetField("PIN", "0000", true);
  entry.unknown.push_back({0x16, SecretText("from a newer version")});
  ASSERT_TRUE(app.AddEntry(entry));
  ASSERT_TRUE(app.EditEntry(0, "Big Bank", "jdoe", "b2"));
  app.LogOut();
  EntryList stored;
  ASSERT_TRUE(LoadSafe("alice", "pw", stored));
  ASSERT_EQ(stored.entries.size(), 1u);
  const Entry& kept = stored.entries[0];
  EXPECT_EQ(ToVector(stored), Lines{"Big Bank\tjdoe\tb2"});
  EXPECT_EQ(kept.url, "https://bank.example.com/");
  EXPECT_EQ(kept.notes, "two\nlines");
  ASSERT_NE(kept.FindField("PIN"), nullptr);
  EXPECT_TRUE(kept.FindField("PIN")->isProtected);
  ASSERT_EQ(kept.unknown.size(), 1u);
  EXPECT_EQ(kept.unknown[0].bytes, "from a newer version");
  ASSERT_EQ(kept.history.size(), 1u);
  EXPECT_EQ(kept.history[0].password, "b1");
}

// A legacy safe has no place for more than three fields: refused, not lost.
TEST_F(QuillboxStrongSafe, ALegacySafeRefusesFieldsItCannotKeep) {
  app.CreateUser(nullptr, "alice", "pw", SafeFormat::kLegacy);
  Entry entry;
  entry.title = "Bank";
  entry.url = "https://bank.example.com/";
  EXPECT_STREQ(app.CheckEntry(entry), kNeedsStrongFormatMessage);
  EXPECT_FALSE(app.AddEntry(entry));
  EXPECT_TRUE(app.GetEntries().empty());
}
