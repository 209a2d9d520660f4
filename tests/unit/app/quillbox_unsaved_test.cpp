#include <errno.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/safe_file_ops.h"
#include "safe/safe_folder.h"
#include "safe/safe_store.h"
#include "tests/unit/app/app_with_safes.h"
#include "tests/unit/app/fake_view.h"
#include "tests/unit/safe/safe_test_dir.h"

// A save that cannot reach the file (a full disk, a read-only folder) loses
// nothing: the user is told, the change stays in the list and is saved by
// the next save that can, and closing the safe never drops it unasked.

namespace {

using Lines = std::vector<std::string>;

const Lines kStart = {"Bank\tjdoe\tb1", "Mail\tjd\tm1"};

// Replacing the safe fails as on a full disk: for the next `failures` saves,
// or for ever when negative.
class FullDiskOps : public SafeFileOps {
 public:
  int failures = -1;

  bool ReplaceWithCopy(const char* source, const char* destination) override {
    if (failures == 0) return SafeFileOps::ReplaceWithCopy(source, destination);
    if (failures > 0) --failures;
    errno = ENOSPC;
    return false;
  }
};

class QuillboxUnsaved : public AppWithSafes {
 protected:
  ~QuillboxUnsaved() override { OverrideSafeFileOps(nullptr); }

  void DiskFull(int failures = -1) {
    disk.failures = failures;
    OverrideSafeFileOps(&disk);
  }
  void DiskFreed() { OverrideSafeFileOps(nullptr); }

  std::string Reason(const char* user = "alice") { return dir.SafePath(user) + ": No space left on device"; }

  FullDiskOps disk;
};

TEST_F(QuillboxUnsaved, AChangeWhoseSaveFailedIsToldKeptAndSavedLater) {
  struct Case {
    const char* name;
    std::function<void(Quillbox&, FakeView&)> change;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"add",
       [](Quillbox& a, FakeView&) { EXPECT_TRUE(a.AddEntry("Shop", "j", "s1")); },
       {"Bank\tjdoe\tb1", "Mail\tjd\tm1", "Shop\tj\ts1"}},
      {"edit",
       [](Quillbox& a, FakeView&) { EXPECT_TRUE(a.EditEntry(1, "Mail", "jd", "m2")); },
       {"Bank\tjdoe\tb1", "Mail\tjd\tm2"}},
      {"delete",
       [](Quillbox& a, FakeView& v) {
         v.rows = {{0, true}, {1, false}};
         v.answers = {kIdYes};
         a.DeleteSelectedEntries(nullptr);
       },
       {"Mail\tjd\tm1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write("alice", "pw", kStart);
    ASSERT_TRUE(app.LogIn("alice", "pw"));
    view.boxes.clear();
    view.notes.clear();
    DiskFull();
    c.change(app, view);

    // Told at once, naming the safe and the reason; the file is as it was.
    ASSERT_EQ(view.boxes.size(), c.name == std::string("delete") ? 2u : 1u);
    EXPECT_EQ(view.boxes.back().caption, kSaveFailedCaption);
    EXPECT_NE(view.boxes.back().text.find(Reason()), std::string::npos) << view.boxes.back().text;
    ASSERT_FALSE(view.notes.empty());
    EXPECT_NE(view.notes.back().find(Reason()), std::string::npos);
    EXPECT_EQ(Read("alice"), kStart);
    // The list shows the change, which waits.
    EXPECT_EQ(ToVector(app.GetEntries()), c.expected);
    EXPECT_TRUE(app.HasUnsavedChanges());
    EXPECT_FALSE(app.RetryUnsavedChanges());

    DiskFreed();
    EXPECT_TRUE(app.RetryUnsavedChanges());
    EXPECT_EQ(Read("alice"), c.expected);
    EXPECT_FALSE(app.HasUnsavedChanges());
    EXPECT_EQ(view.notes.back(), kUnsavedChangesSavedNote);
    app.LogOut();
  }
}

TEST_F(QuillboxUnsaved, LogOutAndExitAskUntilTheChangesAreSavedOrDiscarded) {
  Write("alice", "pw", kStart);
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  DiskFull();
  ASSERT_TRUE(app.AddEntry("Shop", "j", "s1"));
  view.boxes.clear();

  // Cancel: nothing closes and nothing is dropped.
  view.answers = {kIdCancel};
  EXPECT_FALSE(app.SettleUnsavedChanges(nullptr));
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].caption, kUnsavedChangesCaption);
  EXPECT_EQ(view.boxes[0].style & kMbButtonMask, kMbRetryDiscardCancel);
  EXPECT_NE(view.boxes[0].text.find(Reason()), std::string::npos);
  EXPECT_TRUE(app.IsLoggedIn());
  EXPECT_TRUE(app.HasUnsavedChanges());

  // Retry until the disk has room: two more failures, then the save.
  DiskFull(2);
  view.boxes.clear();
  view.answers = {kIdRetry, kIdRetry};
  EXPECT_TRUE(app.SettleUnsavedChanges(nullptr));
  EXPECT_EQ(view.boxes.size(), 2u);
  EXPECT_EQ(Read("alice"), (Lines{"Bank\tjdoe\tb1", "Mail\tjd\tm1", "Shop\tj\ts1"}));

  // Discard: only on the user's word.
  DiskFull();
  ASSERT_TRUE(app.AddEntry("Game", "g", "g1"));
  view.answers = {kIdDiscard};
  EXPECT_TRUE(app.SettleUnsavedChanges(nullptr));
  EXPECT_FALSE(app.HasUnsavedChanges());
  DiskFreed();
  app.LogOut();
  EXPECT_EQ(Read("alice"), (Lines{"Bank\tjdoe\tb1", "Mail\tjd\tm1", "Shop\tj\ts1"}));
}

TEST_F(QuillboxUnsaved, ALockThatCannotSaveHoldsTheChangesForTheSameSafeOnly) {
  const std::string other = dir.Path() + "other/";
  std::filesystem::create_directory(other);
  Write("alice", "pw", kStart);
  SetSafeFolder(other);
  Write("alice", "pw", {"Elsewhere\te\te1"});
  SetSafeFolder(dir.Path());

  ASSERT_TRUE(app.LogIn("alice", "pw"));
  DiskFull();
  ASSERT_TRUE(app.AddEntry("Shop", "j", "s1"));
  EXPECT_TRUE(app.Lock());
  DiskFreed();
  EXPECT_TRUE(app.HasUnsavedChanges());
  EXPECT_EQ(Read("alice"), kStart);

  // Another folder's safe of the same name never gets them...
  SetSafeFolder(other);
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  app.LogOut();
  EXPECT_EQ(Read("alice"), Lines{"Elsewhere\te\te1"});
  EXPECT_TRUE(app.HasUnsavedChanges());

  // ...their own safe does, at its next log-in.
  SetSafeFolder(dir.Path());
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  EXPECT_EQ(Read("alice"), (Lines{"Bank\tjdoe\tb1", "Mail\tjd\tm1", "Shop\tj\ts1"}));
  EXPECT_FALSE(app.HasUnsavedChanges());
}

TEST_F(QuillboxUnsaved, OtherWritersTellTheFailureAndKeepTheSafe) {
  app.SetNewSafeParams(kTinySafeParams);
  Write("alice", "pw", kStart);
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  DiskFull();

  // A new password: the safe and the open list keep the old one.
  EXPECT_FALSE(app.ChangePassword("alice", "new"));
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_NE(view.boxes[0].text.find(Reason()), std::string::npos);
  EXPECT_TRUE(app.IsLoggedIn());
  DiskFreed();
  ASSERT_TRUE(app.AddEntry("Shop", "j", "s1"));
  EXPECT_EQ(Read("alice", "pw").size(), 3u);

  // An import that cannot be saved is taken out again and says why.
  DiskFull();
  EntryList imported;
  Fill(imported, {"Club\tc\tc1"});
  EXPECT_FALSE(app.AppendEntries(imported.entries));
  EXPECT_NE(app.LastSaveError().find("No space left on device"), std::string::npos);
  EXPECT_EQ(app.GetEntries().size(), 3u);
  EXPECT_FALSE(app.HasUnsavedChanges());
  app.LogOut();

  // A new user's safe that cannot be written is told, and nothing is open.
  view.boxes.clear();
  app.CreateUser(nullptr, "carol", "pw");
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_NE(view.boxes[0].text.find(Reason("carol")), std::string::npos) << view.boxes[0].text;
  EXPECT_FALSE(app.IsLoggedIn());
  EXPECT_FALSE(std::filesystem::exists(dir.SafePath("carol")));
}

// An import that updates an entry of a strong safe (same id, later) and
// cannot be saved leaves that entry as it was, in its place.
TEST_F(QuillboxUnsaved, AnUpdatingImportThatCannotBeSavedKeepsTheEntry) {
  app.SetNewSafeParams(kTinySafeParams);
  app.CreateUser(nullptr, "dave", "pw");
  ASSERT_TRUE(app.IsLoggedIn());
  ASSERT_TRUE(app.AddEntry("Shop", "j", "s1"));
  ASSERT_TRUE(app.AddEntry("Club", "c", "c1"));
  const Entry before = *app.GetEntry(0);
  std::vector<Entry> update = {before};
  update[0].password = "changed";
  update[0].modified += 100;
  DiskFull();
  EXPECT_FALSE(app.AppendEntries(update));
  ASSERT_EQ(app.GetEntries().size(), 2u);
  EXPECT_EQ(*app.GetEntry(0), before);
  EXPECT_FALSE(app.HasUnsavedChanges());
  DiskFreed();
  std::vector<Entry> again = {update[0]};
  ASSERT_TRUE(app.AppendEntries(again));
  ASSERT_EQ(app.GetEntries().size(), 2u) << "an update, not a second copy";
  EXPECT_EQ(app.GetEntry(0)->password, "changed");
}

TEST_F(QuillboxUnsaved, AConflictCopyStaysUntilTheEntriesItBroughtAreOnDisk) {
  const char* copy = "alice.sync-conflict-20250101-101010-ABCDEF7";
  Write("alice", "pw", kStart);
  Write(copy, "pw", {"Bank\tjdoe\tb1", "Club\tc\tc1"});
  app.SetNewSafeParams(kTinySafeParams);
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  DiskFull();
  EXPECT_FALSE(app.MergeConflictCopies().saved);
  // The next look finds nothing new in the copy: it must stay all the same.
  app.MergeConflictCopies();
  EXPECT_TRUE(std::filesystem::exists(dir.SafePath(copy)));

  DiskFreed();
  ConflictMerge merge = app.MergeConflictCopies();
  EXPECT_TRUE(merge.saved);
  EXPECT_EQ(merge.copies, 1u);
  EXPECT_FALSE(std::filesystem::exists(dir.SafePath(copy)));
  EXPECT_EQ(Read("alice"), (Lines{"Bank\tjdoe\tb1", "Mail\tjd\tm1", "Club\tc\tc1"}));
}

// Events handled while a key is derived (a lock, a log-in in the dialog it
// opens) must not let the step after the derivation work on another safe.
TEST_F(QuillboxUnsaved, WorkAfterASlowStepIsAbandonedWhenAnotherSafeWasOpenedMeanwhile) {
  app.SetNewSafeParams(kTinySafeParams);
  Write("alice", "pw", kStart);
  Write("bob", "bpw", {"Bob\tb\tb1"});
  const std::string bobBefore = ReadTextFile(dir.SafePath("bob"));
  const std::string aliceBefore = ReadTextFile(dir.SafePath("alice"));
  auto lockAndSwitchToBob = [this] {
    view.duringBusy = nullptr;
    app.Lock();
    ASSERT_TRUE(app.LogIn("bob", "bpw"));
  };

  ASSERT_TRUE(app.LogIn("alice", "pw"));
  view.duringBusy = lockAndSwitchToBob;
  EXPECT_FALSE(app.ChangePassword("alice", "new"));

  app.LogOut();
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  view.duringBusy = lockAndSwitchToBob;
  EXPECT_FALSE(app.UpgradeSafe());

  EXPECT_EQ(ReadTextFile(dir.SafePath("bob")), bobBefore);
  EXPECT_EQ(ReadTextFile(dir.SafePath("alice")), aliceBefore);
  EXPECT_EQ(Read("bob", "bpw"), Lines{"Bob\tb\tb1"});
}

// A strong safe's changes held over a lock reach its file at the next
// log-in, merged by id into what the file holds then.
TEST_F(QuillboxUnsaved, AStrongSafesHeldChangesAreSavedAtItsNextLogIn) {
  app.SetNewSafeParams(kTinySafeParams);
  app.CreateUser(nullptr, "erin", "pw");
  ASSERT_TRUE(app.AddEntry("Bank", "jdoe", "b1"));
  DiskFull();
  ASSERT_TRUE(app.AddEntry("Shop", "j", "s1"));
  EXPECT_TRUE(app.Lock());
  DiskFreed();
  EXPECT_EQ(Read("erin"), Lines{"Bank\tjdoe\tb1"});
  ASSERT_TRUE(app.LogIn("erin", "pw"));
  EXPECT_EQ(Read("erin"), (Lines{"Bank\tjdoe\tb1", "Shop\tj\ts1"}));
  EXPECT_FALSE(app.HasUnsavedChanges());
}

}  // namespace
