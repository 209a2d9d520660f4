#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/safe_fingerprint.h"
#include "safe/safe_store.h"
#include "tests/unit/app/app_with_safes.h"
#include "tests/unit/app/fake_view.h"
#include "tests/unit/safe/safe_test_dir.h"

// The open safe changed by someone else: another process on this computer
// (quillbox-cli) or another computer through a sync program. Nothing either
// side changed may be lost.

namespace {

using Lines = std::vector<std::string>;

const Lines kStart = {"Bank\tjdoe\tb1", "Mail\tjd\tm1", "Shop\tj\ts1"};

class QuillboxSync : public AppWithSafes {
 protected:
  // The rows as the fake view shows them: stored order, those named selected.
  void ShowRows(const Lines& selected) {
    view.rows.clear();
    const Lines lines = ToVector(app.GetEntries());
    for (uint32_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      bool isSelected = std::find(selected.begin(), selected.end(), line) != selected.end();
      view.rows.push_back({static_cast<int>(i), isSelected});
    }
  }

  int IndexOf(const std::string& line) {
    const Lines lines = ToVector(app.GetEntries());
    for (uint32_t i = 0; i < lines.size(); ++i) {
      if (line == lines[i]) return static_cast<int>(i);
    }
    return -1;
  }
};

// Here: what this window does. There: what another program saved first.
struct RaceCase {
  const char* name;
  Lines there;
  enum { kAdd, kEdit, kDelete } here;
  std::string target;       // edit, delete: the entry as shown here
  std::string replacement;  // add, edit: the new entry
  Lines expected;
  bool editAddedAsNew;
};

TEST_F(QuillboxSync, EveryChangeIsAppliedToANewerFile) {
  const std::vector<RaceCase> cases = {
      {"edited on both sides",
       {"Bank\tjdoe\tb1", "Mail\tjd\tm2", "Shop\tj\ts1"},
       RaceCase::kEdit,
       "Mail\tjd\tm1",
       "Mail\tjd\tm3",
       {"Bank\tjdoe\tb1", "Mail\tjd\tm2", "Shop\tj\ts1", "Mail\tjd\tm3"},
       true},
      {"edited here, deleted there",
       {"Bank\tjdoe\tb1", "Shop\tj\ts1"},
       RaceCase::kEdit,
       "Mail\tjd\tm1",
       "Mail\tjd\tm3",
       {"Bank\tjdoe\tb1", "Shop\tj\ts1", "Mail\tjd\tm3"},
       true},
      {"edited here, another added there",
       {"Bank\tjdoe\tb1", "Mail\tjd\tm1", "Shop\tj\ts1", "New\tn\tn1"},
       RaceCase::kEdit,
       "Mail\tjd\tm1",
       "Mail\tjd\tm3",
       {"Bank\tjdoe\tb1", "Mail\tjd\tm3", "Shop\tj\ts1", "New\tn\tn1"},
       false},
      {"deleted on both sides",
       {"Bank\tjdoe\tb1", "Shop\tj\ts1"},
       RaceCase::kDelete,
       "Mail\tjd\tm1",
       "",
       {"Bank\tjdoe\tb1", "Shop\tj\ts1"},
       false},
      {"deleted here, edited there",
       {"Bank\tjdoe\tb1", "Mail\tjd\tm2", "Shop\tj\ts1"},
       RaceCase::kDelete,
       "Mail\tjd\tm1",
       "",
       {"Bank\tjdoe\tb1", "Mail\tjd\tm2", "Shop\tj\ts1"},
       false},
      {"deleted here, another deleted there",
       {"Mail\tjd\tm1", "Shop\tj\ts1"},
       RaceCase::kDelete,
       "Shop\tj\ts1",
       "",
       {"Mail\tjd\tm1"},
       false},
      {"added on both sides",
       {"Bank\tjdoe\tb1", "Mail\tjd\tm1", "Shop\tj\ts1", "Club\tc\tc1"},
       RaceCase::kAdd,
       "",
       "Game\tg\tg1",
       {"Bank\tjdoe\tb1", "Mail\tjd\tm1", "Shop\tj\ts1", "Club\tc\tc1", "Game\tg\tg1"},
       false},
  };
  for (const RaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    Write("alice", "pw", kStart);
    ASSERT_TRUE(app.LogIn("alice", "pw"));
    Write("alice", "pw", c.there);
    view.notes.clear();
    if (c.here == RaceCase::kAdd) {
      ASSERT_TRUE(app.AddEntry("Game", "g", "g1"));
    } else if (c.here == RaceCase::kEdit) {
      ASSERT_TRUE(app.EditEntry(IndexOf(c.target), "Mail", "jd", "m3"));
    } else {
      ShowRows({c.target});
      view.answers = {kIdYes};
      app.DeleteSelectedEntries(nullptr);
    }
    EXPECT_TRUE(app.LastSaveSucceeded());
    EXPECT_EQ(Read("alice"), c.expected);
    EXPECT_EQ(ToVector(app.GetEntries()), c.expected);
    ASSERT_FALSE(view.notes.empty());
    EXPECT_EQ(view.notes.back(), c.editAddedAsNew ? kEditAddedAsNewNote : kChangeMergedNote);
    app.LogOut();
  }
}

TEST_F(QuillboxSync, AnotherProcessRewritingTheSafeIsPickedUpAndKept) {
  Write("alice", "pw", kStart);
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  EXPECT_EQ(app.PickUpDiskChange(), DiskPickUp::kUnchanged);
  ShowRows({"Mail\tjd\tm1"});

  // What quillbox-cli add does, from its own application object.
  Quillbox other;
  ASSERT_TRUE(other.LogIn("alice", "pw"));
  ASSERT_TRUE(other.AddEntry("Club", "c", "c1"));
  ASSERT_TRUE(other.LastSaveSucceeded());

  EXPECT_EQ(app.PickUpDiskChange(), DiskPickUp::kReloaded);
  Lines withClub = kStart;
  withClub.push_back("Club\tc\tc1");
  EXPECT_EQ(ToVector(app.GetEntries()), withClub);
  EXPECT_EQ(view.notes.back(), kSafeReloadedNote);
  ASSERT_FALSE(view.selections.empty());
  EXPECT_EQ(view.selections.back(), std::vector<uint32_t>{1});  // "Mail" still selected
  EXPECT_EQ(app.PickUpDiskChange(), DiskPickUp::kUnchanged);

  // The same bytes written again are no change.
  std::filesystem::copy_file(dir.SafePath("alice"), dir.Path() + "copy");
  ASSERT_EQ(std::rename((dir.Path() + "copy").c_str(), dir.SafePath("alice").c_str()), 0);
  EXPECT_EQ(app.PickUpDiskChange(), DiskPickUp::kUnchanged);

  ASSERT_TRUE(app.AddEntry("Game", "g", "g1"));
  withClub.push_back("Game\tg\tg1");
  EXPECT_EQ(Read("alice"), withClub);
  EXPECT_TRUE(view.boxes.empty());
}

TEST_F(QuillboxSync, SafeThatNoLongerOpensIsNeverOverwritten) {
  Write("alice", "pw", kStart);
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  Write("alice", "changed", {"Bank\tjdoe\tb9"});  // the password changed on another computer

  // Looked at a few times, as a half-written file gets, before the lock.
  int looks = 1;
  while (app.PickUpDiskChange() == DiskPickUp::kRetrySoon && looks < 20) ++looks;
  EXPECT_GT(looks, 1);
  EXPECT_LT(looks, 20);
  EXPECT_EQ(view.notes.back(), kSafeNoLongerOpensNote);
  EXPECT_TRUE(view.boxes.empty());

  // A change made before the lock is not saved over the other version...
  ASSERT_TRUE(app.AddEntry("Game", "g", "g1"));
  EXPECT_FALSE(app.LastSaveSucceeded());
  EXPECT_EQ(Read("alice", "changed"), Lines{"Bank\tjdoe\tb9"});
  EXPECT_TRUE(app.Lock());
  EXPECT_FALSE(app.IsLoggedIn());
  EXPECT_EQ(Read("alice", "changed"), Lines{"Bank\tjdoe\tb9"});
  // ...nor opened by the new password: it was sealed under the old one,
  // which the log-in asks for; a wrong answer loses nothing...
  view.safePasswords = {"not the old one"};
  ASSERT_TRUE(app.LogIn("alice", "changed"));
  EXPECT_EQ(view.safePasswordPrompts, std::vector<std::string>{kHeldChangesOldPasswordPrompt});
  EXPECT_EQ(Read("alice", "changed"), Lines{"Bank\tjdoe\tb9"});
  app.LogOut();
  EXPECT_TRUE(app.HasUnsavedChanges());
  // ...and the old password puts the change into the new version.
  view.safePasswords = {"pw"};
  ASSERT_TRUE(app.LogIn("alice", "changed"));
  EXPECT_EQ(Read("alice", "changed"), (Lines{"Bank\tjdoe\tb9", "Game\tg\tg1"}));
  EXPECT_FALSE(app.HasUnsavedChanges());
  EXPECT_TRUE(view.safePasswords.empty());
}

TEST_F(QuillboxSync, BrieflyMissingOrHalfWrittenFileIsLookedAtAgain) {
  Write("alice", "pw", kStart);
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  const std::string whole = dir.Path() + "whole";
  Write("whole", "pw", {"Bank\tjdoe\tb2"});
  std::filesystem::rename(dir.SafePath("whole"), whole);

  std::filesystem::remove(dir.SafePath("alice"));
  EXPECT_EQ(app.PickUpDiskChange(), DiskPickUp::kRetrySoon);
  EXPECT_EQ(ToVector(app.GetEntries()), kStart);

  // Written in place, and caught halfway.
  std::string bytes = ReadTextFile(whole);
  WriteTextFile(dir.SafePath("alice"), bytes.substr(0, bytes.size() / 2));
  EXPECT_EQ(app.PickUpDiskChange(), DiskPickUp::kRetrySoon);
  EXPECT_EQ(app.PickUpDiskChange(), DiskPickUp::kRetrySoon);
  WriteTextFile(dir.SafePath("alice"), bytes);
  EXPECT_EQ(app.PickUpDiskChange(), DiskPickUp::kReloaded);
  EXPECT_EQ(ToVector(app.GetEntries()), Lines{"Bank\tjdoe\tb2"});
  EXPECT_TRUE(app.IsLoggedIn());
  EXPECT_TRUE(view.boxes.empty());
}

TEST_F(QuillboxSync, FileReplacedWhileReadIsNeverTakenForDamaged) {
  const Lines first = {"Bank\tjdoe\tb1"};
  const Lines second = {"Bank\tjdoe\tb2", "Mail\tjd\tm2"};
  Write("first", "pw", first);
  Write("second", "pw", second);
  Write("alice", "pw", first);
  ASSERT_TRUE(app.LogIn("alice", "pw"));

  // As a sync program does: a new file beside, renamed over the safe.
  auto replace = [&](const char* with, const char* beside) {
    std::string next = dir.Path() + beside;
    std::filesystem::copy_file(dir.SafePath(with), next, std::filesystem::copy_options::overwrite_existing);
    std::rename(next.c_str(), dir.SafePath("alice").c_str());
  };
  // A file that never stops changing can never be read whole, so the racing
  // looks may only retry; the quiet moments, with the replacer parked
  // between two renames, must each take the newer file.
  std::atomic<bool> hold = false;
  std::atomic<bool> parked = false;
  auto park = [&] {
    hold = true;
    parked.wait(false);
  };
  auto resume = [&] {
    hold = false;
    hold.notify_one();
  };
  // Stopped and joined when the test ends, also when an assertion ends it early.
  std::jthread replacer([&](std::stop_token token) {
    for (int round = 0; !token.stop_requested(); ++round) {
      if (hold) {
        parked = true;
        parked.notify_one();
        hold.wait(true);
        parked = false;
        continue;
      }
      replace(round % 2 ? "first" : "second", "next");
    }
  });

  HeldSafeKey key;  // both versions are legacy safes under "pw"
  ASSERT_TRUE(key.HoldLegacyPassword("pw"));
  Quillbox other;
  for (int look = 0; look < 400; ++look) {
    DiskPickUp found = app.PickUpDiskChange();
    ASSERT_NE(found, DiskPickUp::kNoLongerOpens);
    Lines shown = ToVector(app.GetEntries());
    ASSERT_TRUE(shown == first || shown == second);
    EntryList entries;
    SafeFingerprint fingerprint;
    ASSERT_NE(LoadSafeSnapshot("alice", key, entries, fingerprint), SafeSnapshotResult::kDoesNotOpen);
    if (look % 40 == 20) {
      LogInResult result = other.TryLogIn("alice", "pw");
      ASSERT_TRUE(result == LogInResult::kLoggedIn || result == LogInResult::kFailed) << static_cast<int>(result);
    }
    if (look % 40 == 39) {
      park();
      replace(shown == first ? "second" : "first", "quiet");
      EXPECT_EQ(app.PickUpDiskChange(), DiskPickUp::kReloaded);
      EXPECT_EQ(ToVector(app.GetEntries()), shown == first ? second : first);
      EXPECT_TRUE(other.LogIn("alice", "pw"));
      resume();
    }
  }
  EXPECT_TRUE(view.boxes.empty());
}

TEST_F(QuillboxSync, ConflictCopiesOfTheUserAreMergedAtLogIn) {
  Write("alice", "pw", {"Bank\tjdoe\tb1"});
  Write("alice.sync-conflict-20250101-101010-ABCDEF7", "pw", {"Bank\tjdoe\tb1", "Mail\tjd\tm1"});
  Write("alice (conflicted copy 2025-01-02 101010)", "pw", {"Shop\tj\ts1", "Mail\tjd\tm1"});
  Write("alice (Bob's conflicted copy 2025-01-03)", "other", {"Club\tc\tc1"});
  // Other users' safes and copies, and look-alikes, are never touched.
  Write("alice2.sync-conflict-20250101-101010-ABCDEF7", "pw", {"Game\tg\tg1"});
  Write("bob (conflicted copy 2025-01-02 101010)", "pw", {"Game\tg\tg1"});
  Write("alice.sync-conflict-2025", "pw", {"Game\tg\tg1"});

  ASSERT_TRUE(app.SubmitLogIn(nullptr, "alice", "pw"));
  // Copies in name order: Nextcloud's first here.
  EXPECT_EQ(Read("alice"), (Lines{"Bank\tjdoe\tb1", "Shop\tj\ts1", "Mail\tjd\tm1"}));
  EXPECT_EQ(ToVector(app.GetEntries()), Read("alice"));
  EXPECT_FALSE(std::filesystem::exists(dir.SafePath("alice.sync-conflict-20250101-101010-ABCDEF7")));
  EXPECT_FALSE(std::filesystem::exists(dir.SafePath("alice (conflicted copy 2025-01-02 101010)")));
  EXPECT_EQ(Read("alice (Bob's conflicted copy 2025-01-03)", "other"), Lines{"Club\tc\tc1"});
  EXPECT_EQ(Read("alice2.sync-conflict-20250101-101010-ABCDEF7"), Lines{"Game\tg\tg1"});
  EXPECT_EQ(Read("bob (conflicted copy 2025-01-02 101010)"), Lines{"Game\tg\tg1"});
  EXPECT_EQ(Read("alice.sync-conflict-2025"), Lines{"Game\tg\tg1"});
  ASSERT_FALSE(view.notes.empty());
  EXPECT_EQ(view.notes.back(),
            "Merged 2 conflict copies: 2 entries came in. alice (Bob's conflicted copy 2025-01-03).SAFE does not "
            "open with this password and was left alone.");
  EXPECT_TRUE(view.boxes.empty());

  // A copy that turns up while the safe is open comes in too; the refused
  // one is not reported again.
  view.notes.clear();
  Write("alice.sync-conflict-20250104-090000-ZZZZZZZ", "pw", {"Park\tp\tp1"});
  ConflictMerge merge = app.MergeConflictCopies();
  EXPECT_EQ(merge.entries, 1u);
  EXPECT_EQ(merge.copies, 1u);
  EXPECT_TRUE(merge.refused.empty());
  EXPECT_EQ(Read("alice").back(), "Park\tp\tp1");
  EXPECT_EQ(view.notes, std::vector<std::string>{"Merged 1 conflict copy: 1 entry came in."});
}

}  // namespace
