// A strong safe open in the window while another program (quillbox-cli, a
// sync program) saves its own changes: every change of the window goes onto
// the newer file by entry id and modification time.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/merge_by_id.h"
#include "safe/safe_store.h"
#include "tests/unit/app/fake_view.h"
#include "tests/unit/core/scratch_dir.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

using Lines = std::vector<std::string>;

const Lines kStart = {"Bank\tjdoe\tb1", "Mail\tjd\tm1", "Shop\tj\ts1"};

class QuillboxMergeById : public ::testing::Test {
 protected:
  QuillboxMergeById() {
    app.SetView(&view);
    app.SetNewSafeParams(kTinySafeParams);
  }

  // The safe made by the window, then the file another program wrote from it.
  void Start() {
    app.CreateUser(nullptr, "alice", "pw");
    ASSERT_TRUE(app.IsLoggedIn());
    for (const std::string& line : kStart) {
      EntryList one = ListOf({line});
      ASSERT_TRUE(app.AddEntry(one.entries[0]));
    }
    ASSERT_TRUE(DeriveKeyForSafe("alice", "pw", key));
    ASSERT_TRUE(LoadSafe("alice", key, there));
  }

  Entry& There(const char* title) {
    for (Entry& entry : there.entries) {
      if (entry.title == title) return entry;
    }
    static Entry none;
    ADD_FAILURE() << title;
    return none;
  }

  int Here(const char* title) {
    for (size_t i = 0; i < app.GetEntries().size(); ++i) {
      if (app.GetEntries()[i].title == title) return static_cast<int>(i);
    }
    return -1;
  }

  // History passwords of the entry titled so in the file, oldest first.
  Lines History(const char* title) {
    EntryList read;
    EXPECT_TRUE(LoadSafe("alice", key, read));
    Lines passwords;
    for (const Entry& entry : read.entries) {
      if (entry.title != title) continue;
      for (const PasswordHistoryItem& item : entry.history) passwords.emplace_back(item.password.view());
    }
    return passwords;
  }

  Lines FileLines() {
    EntryList read;
    EXPECT_TRUE(LoadSafe("alice", key, read));
    return ToVector(read);
  }

  SafeTestDir dir;
  FakeView view;
  Quillbox app;
  HeldSafeKey key;
  EntryList there;
};

const int64_t kNow = static_cast<int64_t>(std::time(nullptr));

TEST_F(QuillboxMergeById, EditedOnBothSidesTheLaterWinsAndTheOtherPasswordGoesToHistory) {
  struct Case {
    const char* what;
    int64_t thereModified;  // the other program's change, against this window's now
    Lines expected;
    Lines history;
  } cases[] = {
      // The history is in the order the passwords were replaced.
      {"the window's edit is the later", kNow - 3600, {"Bank\tjdoe\tb1", "Mail\tjd\tm3", "Shop\tj\ts1"}, {"m2", "m1"}},
      {"the other program's edit is the later",
       kNow + 3600,
       {"Bank\tjdoe\tb1", "Mail\tjd\tm2", "Shop\tj\ts1"},
       {"m3", "m1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start();
    Entry& mail = There("Mail");
    mail.ChangePassword("m2", c.thereModified);
    mail.modified = c.thereModified;
    ASSERT_TRUE(SaveSafe("alice", key, there));
    ASSERT_TRUE(app.EditEntry(Here("Mail"), "Mail", "jd", "m3"));
    EXPECT_TRUE(app.LastSaveSucceeded());
    EXPECT_EQ(FileLines(), c.expected);
    EXPECT_EQ(ToVector(app.GetEntries()), c.expected);
    EXPECT_EQ(History("Mail"), c.history);
    app.LogOut();
    DeleteSafe("alice");
  }
}

TEST_F(QuillboxMergeById, ADeletionAndALaterChangeKeepTheChange) {
  // Deleted there after it was made, edited here after that: the edit stays.
  Start();
  DeleteEntryById(there, There("Mail").id, There("Mail").modified);
  ASSERT_TRUE(SaveSafe("alice", key, there));
  ASSERT_TRUE(app.EditEntry(Here("Mail"), "Mail", "jd", "m3"));
  EXPECT_EQ(FileLines(), (Lines{"Bank\tjdoe\tb1", "Shop\tj\ts1", "Mail\tjd\tm3"}));
  app.LogOut();
  DeleteSafe("alice");

  // Changed there later than the window's deletion: the change stays.
  Start();
  There("Shop").ChangePassword("s2", kNow + 3600);
  There("Shop").modified = kNow + 3600;
  ASSERT_TRUE(SaveSafe("alice", key, there));
  view.rows = {{Here("Shop"), true}};
  view.answers = {kIdYes};
  app.DeleteSelectedEntries(nullptr);
  EXPECT_EQ(FileLines(), (Lines{"Bank\tjdoe\tb1", "Mail\tjd\tm1", "Shop\tj\ts2"}));
  app.LogOut();
}

TEST_F(QuillboxMergeById, ADeletedEntryDoesNotComeBackFromAnOlderCopy) {
  Start();
  EntryList older = there;
  view.rows = {{Here("Bank"), true}};
  view.answers = {kIdYes};
  app.DeleteSelectedEntries(nullptr);
  // A sync program brings back the copy from before the deletion, with an entry added there.
  AddLine(older, "Club\tc\tc1");
  ASSERT_TRUE(SaveSafe("alice", key, older));
  ASSERT_TRUE(app.AddEntry("Game", "g", "g1"));
  EXPECT_EQ(FileLines(), (Lines{"Mail\tjd\tm1", "Shop\tj\ts1", "Club\tc\tc1", "Game\tg\tg1"}));
  app.LogOut();
}

TEST_F(QuillboxMergeById, ADeletionRemovesWhatWasSelectedWhenAsked) {
  Start();
  view.rows = {{Here("Mail"), true}};
  view.answers = {kIdYes};
  // Another writer deletes Bank while the question is up: Shop moves to Mail's place.
  view.duringQuestion = [this] { ASSERT_TRUE(app.DeleteEntry(Here("Bank"))); };
  app.DeleteSelectedEntries(nullptr);
  EXPECT_EQ(FileLines(), (Lines{"Shop\tj\ts1"}));
  app.LogOut();
}

TEST_F(QuillboxMergeById, AChangeMadeAfterAClockAheadWasSeenOutranksIt) {
  Start();
  // The version an edit dialog shows while a computer whose clock runs a day
  // ahead deletes the entry, and the file comes here.
  const Entry shown = app.GetEntries()[Here("Mail")];
  DeleteEntryById(there, There("Mail").id, kNow + 86400);
  ASSERT_TRUE(SaveSafe("alice", key, there));
  ASSERT_EQ(app.PickUpDiskChange(), DiskPickUp::kReloaded);
  ASSERT_EQ(Here("Mail"), -1);
  Entry edited = shown;
  edited.password = "m2";
  ASSERT_TRUE(app.EditEntry(shown, edited));
  EXPECT_EQ(FileLines(), (Lines{"Bank\tjdoe\tb1", "Shop\tj\ts1", "Mail\tjd\tm2"}));
  EXPECT_GT(app.GetEntries()[Here("Mail")].modified, kNow + 86400);
  EXPECT_EQ(view.notes.back(), kEditAddedAsNewNote);
  app.LogOut();
}

TEST_F(QuillboxMergeById, AnEditOfAnEntryStampedAtTheEndOfTimeIsKept) {
  // An older build's import left the largest time there is.
  Start();
  There("Mail").modified = INT64_MAX;
  ASSERT_TRUE(SaveSafe("alice", key, there));
  ASSERT_EQ(app.PickUpDiskChange(), DiskPickUp::kReloaded);
  EXPECT_EQ(app.GetEntries()[Here("Mail")].modified, kLatestEntryTime);
  ASSERT_TRUE(app.EditEntry(Here("Mail"), "Mail", "jd", "m2"));
  const Lines expected = {"Bank\tjdoe\tb1", "Mail\tjd\tm2", "Shop\tj\ts1"};
  EXPECT_EQ(ToVector(app.GetEntries()), expected);
  EXPECT_EQ(FileLines(), expected);
  app.LogOut();
}

TEST_F(QuillboxMergeById, AnOlderFileAtLogInIsMergedWithTheNewestSeenHere) {
  Start();
  const std::string older = ReadTextFile(dir.SafePath("alice"));
  view.rows = {{Here("Bank"), true}};
  view.answers = {kIdYes};
  app.DeleteSelectedEntries(nullptr);
  ASSERT_TRUE(app.EditEntry(Here("Mail"), "Mail", "jd", "m2"));
  app.LogOut();
  // A backup put back, or a sync program's old copy: authentic, and older.
  WriteTextFile(dir.SafePath("alice"), older);
  const Lines expected = {"Mail\tjd\tm2", "Shop\tj\ts1"};
  {
    FakeView laterView;
    Quillbox later;  // the program started again
    later.SetView(&laterView);
    ASSERT_TRUE(later.LogIn("alice", "pw"));
    EXPECT_EQ(ToVector(later.GetEntries()), expected);
    EXPECT_EQ(std::count(laterView.notes.begin(), laterView.notes.end(), kOlderSafeMergedNote), 1);
    later.LogOut();
  }
  EXPECT_EQ(FileLines(), expected);
  // The merged file is the newest now: nothing more to say.
  view.notes.clear();
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  EXPECT_EQ(ToVector(app.GetEntries()), expected);
  EXPECT_EQ(std::count(view.notes.begin(), view.notes.end(), kOlderSafeMergedNote), 0);
  app.LogOut();
}

}  // namespace
