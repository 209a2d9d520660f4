#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/command_ids.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/safe_lock.h"
#include "safe/safe_store.h"
#include "tests/unit/app/fake_view.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

using MenuCalls = std::vector<std::pair<int, bool>>;

// With a legacy safe open, which the upgrade command is for.
const MenuCalls kLoggedInMenu = {{kCmdAddEntry, true},        {kCmdLogIn, false},      {kCmdLogOut, true},
                                 {kCmdSetPassword, true},     {kCmdSafeFolder, false}, {kCmdLock, true},
                                 {kCmdImport, true},          {kCmdExport, true},      {kCmdPasswordHealth, true},
                                 {kCmdCheckBreachList, true}, {kCmdUpgradeSafe, true}};
const MenuCalls kLoggedOutMenu = {{kCmdAddEntry, false},        {kCmdLogIn, true},       {kCmdLogOut, false},
                                  {kCmdSetPassword, false},     {kCmdSafeFolder, true},  {kCmdLock, false},
                                  {kCmdImport, false},          {kCmdExport, false},     {kCmdPasswordHealth, false},
                                  {kCmdCheckBreachList, false}, {kCmdUpgradeSafe, false}};

class QuillboxLogIn : public ::testing::Test {
 protected:
  QuillboxLogIn() {
    app.SetView(&view);
    app.SetNewSafeParams(kTinySafeParams);
  }

  void MakeSafe(const char* name, const char* password, const std::vector<std::string>& lines) {
    EntryList entries;
    Fill(entries, lines);
    ASSERT_TRUE(SaveSafe(name, password, entries));
  }

  std::vector<std::string> SafeLines(const char* name, const char* password) {
    EntryList entries;
    EXPECT_TRUE(LoadSafe(name, password, entries));
    return ToVector(entries);
  }

  SafeTestDir dir;
  FakeView view;
  Quillbox app;
};

TEST_F(QuillboxLogIn, IdentityOfTheApplication) {
  EXPECT_STREQ(app.GetProductName(), "Tarnwell Quillbox");
  EXPECT_STREQ(app.GetDisplayName(), "Tarnwell Quillbox");
  EXPECT_STREQ(app.GetVersionText(), "2.0");
  EXPECT_STREQ(app.GetVersionKey(), "2");
  EXPECT_STREQ(app.GetBuildCode(), "5481");
  EXPECT_STREQ(app.GetCompanyUrl(), "https://www.tarnwell.com/quillbox");
  EXPECT_EQ(WApp::GetApp(), &app);
}

TEST_F(QuillboxLogIn, LogInAndOutSwitchMenuListAndState) {
  MakeSafe("alice", "pw", {"a\tb\tc"});
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  EXPECT_EQ(view.menuCalls, kLoggedInMenu);
  EXPECT_EQ(view.refreshes, 1);
  EXPECT_TRUE(app.IsLoggedIn());
  EXPECT_STREQ(app.GetUserName(), "alice");
  EXPECT_EQ(ToVector(app.GetEntries()), std::vector<std::string>{"a\tb\tc"});

  view.menuCalls.clear();
  app.LogOut();
  EXPECT_EQ(view.menuCalls, kLoggedOutMenu);
  EXPECT_EQ(view.refreshes, 2);
  EXPECT_FALSE(app.IsLoggedIn());
  EXPECT_STREQ(app.GetUserName(), "alice");  // offered at the next log-in
  EXPECT_EQ(app.GetEntries().size(), 0u);
  EXPECT_EQ(SafeLines("alice", "pw"), std::vector<std::string>{"a\tb\tc"});
}

TEST_F(QuillboxLogIn, FailedLogInLeavesTheOpenSafeAsItWas) {
  MakeSafe("alice", "pw", {"a\tb\tc"});
  MakeSafe("bob", "secret", {"x\ty\tz"});
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  view.menuCalls.clear();
  const std::vector<std::pair<std::string, std::string>> failures = {{"alice", "wrong"},
                                                                     {"bob", "pw"},
                                                                     {"nobody", "pw"},
                                                                     {"carol-too-long-for-the-name-field", "pw"},
                                                                     {"alice", std::string(260, 'p')}};
  for (const auto& [name, password] : failures) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(app.LogIn(name.c_str(), password.c_str()));
    EXPECT_TRUE(app.IsLoggedIn());
    EXPECT_STREQ(app.GetUserName(), "alice");
    EXPECT_EQ(ToVector(app.GetEntries()), std::vector<std::string>{"a\tb\tc"});
  }
  EXPECT_TRUE(view.menuCalls.empty());
  // The password kept is still the right one: the next save opens with it.
  ASSERT_TRUE(app.AddEntry("d", "e", "f"));
  EXPECT_EQ(SafeLines("alice", "pw"), (std::vector<std::string>{"a\tb\tc", "d\te\tf"}));
}

TEST_F(QuillboxLogIn, LogOutWithoutAnOpenSafeSavesNothing) {
  MakeSafe("alice", "pw", {"a\tb\tc"});
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  app.LogOut();
  app.LogOut();
  EXPECT_EQ(SafeLines("alice", "pw"), std::vector<std::string>{"a\tb\tc"});
}

// A lock closes the safe as a log-out does, but the file is not rewritten:
// every change was saved when it was made.
TEST_F(QuillboxLogIn, LockClosesTheSafeWithoutWritingIt) {
  MakeSafe("alice", "pw", {"a\tb\tc"});
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  struct stat before;
  ASSERT_EQ(stat(dir.SafePath("alice").c_str(), &before), 0);
  view.menuCalls.clear();
  EXPECT_TRUE(app.Lock());
  EXPECT_EQ(view.menuCalls, kLoggedOutMenu);
  EXPECT_FALSE(app.IsLoggedIn());
  EXPECT_STREQ(app.GetUserName(), "alice");
  EXPECT_EQ(app.GetEntries().size(), 0u);
  struct stat after;
  ASSERT_EQ(stat(dir.SafePath("alice").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_FALSE(app.Lock());  // nothing open any more

  // The safe is free again: the same user logs back in to the same entries.
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  EXPECT_EQ(ToVector(app.GetEntries()), std::vector<std::string>{"a\tb\tc"});
}

// A change whose save failed is not lost by a lock: it is written then.
TEST_F(QuillboxLogIn, LockWritesAChangeWhoseSaveFailed) {
  MakeSafe("alice", "pw", {"a\tb\tc"});
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  const std::string safe = dir.SafePath("alice");
  ASSERT_EQ(chmod(safe.c_str(), 0400), 0);  // read-only: never replaced
  ASSERT_TRUE(app.AddEntry("d", "e", "f"));
  ASSERT_FALSE(app.LastSaveSucceeded());
  ASSERT_EQ(chmod(safe.c_str(), 0600), 0);
  EXPECT_TRUE(app.Lock());
  EXPECT_EQ(SafeLines("alice", "pw"), (std::vector<std::string>{"a\tb\tc", "d\te\tf"}));
}

TEST_F(QuillboxLogIn, CreateUserReplacesAnExistingSafeOnlyAfterYes) {
  MakeSafe("alice", "old", {"a\tb\tc"});
  std::string before = ReadTextFile(dir.SafePath("alice"));

  view.answers = {kIdNo};
  app.CreateUser(nullptr, "alice", "new");
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].text, kDeleteUserQuestion);
  EXPECT_EQ(view.boxes[0].caption, "alice");
  EXPECT_EQ(view.boxes[0].style, kMbYesNo | kMbIconWarning | kMbDefButton2);  // No by default
  EXPECT_FALSE(app.IsLoggedIn());
  EXPECT_EQ(ReadTextFile(dir.SafePath("alice")), before);

  view.answers = {kIdYes};
  app.CreateUser(nullptr, "alice", "new");
  EXPECT_TRUE(app.IsLoggedIn());
  EXPECT_EQ(app.GetEntries().size(), 0u);
  EntryList entries;
  EXPECT_FALSE(LoadSafe("alice", "old", entries));
  EXPECT_TRUE(SafeLines("alice", "new").empty());
}

TEST_F(QuillboxLogIn, CreateUserLogsOutFirstAndMakesANewSafe) {
  MakeSafe("alice", "pw", {"a\tb\tc"});
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  app.CreateUser(nullptr, "bob", "pw2");
  EXPECT_TRUE(view.boxes.empty());
  EXPECT_TRUE(app.IsLoggedIn());
  EXPECT_STREQ(app.GetUserName(), "bob");
  EXPECT_TRUE(SafeLines("bob", "pw2").empty());
  EXPECT_EQ(SafeLines("alice", "pw"), std::vector<std::string>{"a\tb\tc"});
}

TEST_F(QuillboxLogIn, ChangePasswordReencryptsTheOpenSafe) {
  MakeSafe("alice", "old", {"a\tb\tc", "d\te\tf"});
  ASSERT_TRUE(app.LogIn("alice", "old"));
  ASSERT_TRUE(app.ChangePassword("alice", "new"));
  EXPECT_TRUE(app.IsLoggedIn());
  EntryList entries;
  EXPECT_FALSE(LoadSafe("alice", "old", entries));
  EXPECT_EQ(SafeLines("alice", "new"), (std::vector<std::string>{"a\tb\tc", "d\te\tf"}));
  EXPECT_EQ(ToVector(app.GetEntries()), (std::vector<std::string>{"a\tb\tc", "d\te\tf"}));
  // The open entries never go into someone else's safe.
  MakeSafe("bob", "pw", {"x\ty\tz"});
  EXPECT_FALSE(app.ChangePassword("bob", "new"));
  EXPECT_EQ(SafeLines("bob", "pw"), std::vector<std::string>{"x\ty\tz"});
}

TEST_F(QuillboxLogIn, OpenSafeHoldsNoLockAndEachSaveWaitsBriefly) {
  MakeSafe("alice", "pw", {"a\tb\tc"});
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  EXPECT_FALSE(IsSafeLockedElsewhere("alice"));
  {
    // A save held up past the wait keeps its change for the next save.
    SafeLock otherWriter;
    ASSERT_EQ(otherWriter.Acquire("alice"), SafeLock::Result::kAcquired);
    EXPECT_TRUE(app.AddEntry("d", "e", "f"));
    EXPECT_FALSE(app.LastSaveSucceeded());
    EXPECT_TRUE(app.LastSaveWasBlocked());
    EXPECT_EQ(SafeLines("alice", "pw"), std::vector<std::string>{"a\tb\tc"});
    view.answers = {kIdYes};
    app.CreateUser(nullptr, "alice", "new");
    EXPECT_EQ(view.boxes.back().text, kSafeInUseMessage);
    EXPECT_FALSE(app.IsLoggedIn());
    EXPECT_EQ(SafeLines("alice", "pw"), std::vector<std::string>{"a\tb\tc"});
  }
  // Logging in again as the same user saves the change that waited.
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  EXPECT_TRUE(app.LastSaveSucceeded());
  EXPECT_EQ(SafeLines("alice", "pw"), (std::vector<std::string>{"a\tb\tc", "d\te\tf"}));

  // A lock let go within the wait costs nothing.
  auto otherWriter = std::make_unique<SafeLock>();
  ASSERT_EQ(otherWriter->Acquire("alice"), SafeLock::Result::kAcquired);
  std::thread release([&otherWriter] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    otherWriter.reset();
  });
  EXPECT_TRUE(app.AddEntry("g", "h", "i"));
  release.join();
  EXPECT_TRUE(app.LastSaveSucceeded());
  EXPECT_EQ(SafeLines("alice", "pw"), (std::vector<std::string>{"a\tb\tc", "d\te\tf", "g\th\ti"}));
}

// A killed save may have left a whole copy of the safe beside it, one that
// still opens under an old password; log-in clears it away. Log-in takes
// no lock, so failed attempts for users without a safe leave no lock files.
TEST_F(QuillboxLogIn, LogInLeavesOnlySafes) {
  MakeSafe("alice", "pw", {"a\tb\tc"});
  MakeSafe("before", "old", {"a\tb\tc"});
  ASSERT_EQ(rename(dir.SafePath("before").c_str(), (dir.Path() + ".quillbox-copy-k1LLed").c_str()), 0);

  EXPECT_EQ(app.TryLogIn("nobody", "pw"), LogInResult::kMissing);
  EXPECT_FALSE(app.ChangePassword("ghost", "new"));
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  EXPECT_EQ(dir.Listing(), "alice.SAFE tmp");
}

}  // namespace
