#include "app/ssh_agent_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/quillbox.h"
#include "ssh_agent/entry_ssh_key.h"
#include "tests/unit/app/fake_view.h"
#include "tests/unit/core/scratch_dir.h"
#include "tests/unit/safe/safe_test_dir.h"
#include "tests/unit/ssh_agent/openssh_tools.h"

namespace {

const std::vector<std::string> kNoIdentities = {"The agent has no identities."};

class SshAgentSessionTest : public ::testing::Test {
 protected:
  SshAgentSessionTest() {
    app.SetView(&view);
    app.SetNewSafeParams(kTinySafeParams);
  }
  ~SshAgentSessionTest() override { app.SetSessionListener(nullptr); }

  // A safe of entries holding new keys (none named "" holds no key), left
  // closed; the fingerprints of the keys to be added at log-in.
  std::vector<std::string> MakeSafe(const std::vector<std::string>& names, const std::string& skipAtLogIn = "") {
    app.CreateUser(nullptr, "alice", "pw");
    std::vector<std::string> added;
    for (const std::string& name : names) {
      Entry entry;
      entry.title = name;
      SshPrivateKey key;
      std::string text = MakeKeyFile(keys.Path(name), {"ed25519"}, "", name);
      EXPECT_EQ(PutSshKey(entry, text, &key), SshKeyFault::kNone);
      if (name == skipAtLogIn) {
        WriteSshOptions(entry, {false, 0, false});
      } else {
        added.push_back(KeygenFingerprint(keys.Path(name)));
      }
      EXPECT_TRUE(app.AddEntry(std::move(entry)));
    }
    app.LogOut();
    std::sort(added.begin(), added.end());
    return added;
  }

  std::vector<std::string> Listed() {
    std::vector<std::string> listed = agent.ListedFingerprints();
    std::sort(listed.begin(), listed.end());
    return listed;
  }

  SafeTestDir dir;
  ScratchDir keys;
  FakeView view;
  Quillbox app;
  PrivateAgent agent{keys.Path("agent.sock")};
};

TEST_F(SshAgentSessionTest, KeysComeWithTheOpenSafeAndGoWithIt) {
  std::vector<std::string> chosen = MakeSafe({"web", "db", "manual"}, "manual");
  SshAgentSession session(view, agent.Socket());
  app.SetSessionListener(&session);

  ASSERT_TRUE(app.LogIn("alice", "pw"));
  EXPECT_EQ(Listed(), chosen);
  EXPECT_TRUE(app.Lock());
  EXPECT_EQ(Listed(), kNoIdentities);
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  EXPECT_EQ(Listed(), chosen);
  app.LogOut();
  EXPECT_EQ(Listed(), kNoIdentities);
  EXPECT_TRUE(view.boxes.empty());
  EXPECT_TRUE(view.notes.empty());
}

// Loaded while the safe is open, or newly set to be added at log-in: to the
// agent at once, said in the status bar; nothing new, nothing added.
TEST_F(SshAgentSessionTest, AKeyLoadedWhileOpenGoesToTheAgentAtOnce) {
  std::vector<std::string> atLogIn = MakeSafe({"web", "manual"}, "manual");
  SshAgentSession session(view, agent.Socket());
  app.SetSessionListener(&session);
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  ASSERT_EQ(Listed(), atLogIn);

  SshKeysHeld before = SshKeysOf(app.GetEntries());
  session.AddLoadedKeys(before, app.GetEntries());
  EXPECT_TRUE(view.notes.empty());
  Entry manual = *app.GetEntry(1);
  ASSERT_EQ(manual.title.view(), "manual");
  WriteSshOptions(manual, {true, 0, false});
  ASSERT_TRUE(app.EditEntry(1, std::move(manual)));
  Entry web = *app.GetEntry(0);
  SshPrivateKey key;
  ASSERT_EQ(PutSshKey(web, MakeKeyFile(keys.Path("new"), {"ed25519"}, "", "new"), &key), SshKeyFault::kNone);
  ASSERT_TRUE(app.EditEntry(0, std::move(web)));
  session.AddLoadedKeys(before, app.GetEntries());
  // The one loaded and the one now to be added join the one from log-in.
  std::vector<std::string> now = atLogIn;
  now.push_back(KeygenFingerprint(keys.Path("new")));
  now.push_back(KeygenFingerprint(keys.Path("manual")));
  std::sort(now.begin(), now.end());
  EXPECT_EQ(Listed(), now);
  EXPECT_EQ(view.notes, std::vector<std::string>{kSshKeyAddedNote});
  EXPECT_TRUE(view.boxes.empty());
  app.LogOut();
  EXPECT_EQ(Listed(), kNoIdentities);
}

TEST_F(SshAgentSessionTest, NoAgentIsOneNoteAndABadKeyOneMessageNamingIt) {
  MakeSafe({"web", "db"});
  // The second entry's key now needs a password it does not have.
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  Entry broken = *app.GetEntry(1);
  std::string encrypted = MakeKeyFile(keys.Path("encrypted"), {"ed25519"}, "test passphrase", "");
  broken.SetField(kSshKeyField, encrypted, true);
  ASSERT_TRUE(app.EditEntry(1, std::move(broken)));
  std::string working = KeygenFingerprint(keys.Path(app.GetEntry(0)->title.c_str()));
  app.LogOut();

  SshAgentSession nowhere(view, keys.Path("nobody.sock"));
  app.SetSessionListener(&nowhere);
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  EXPECT_EQ(view.notes, std::vector<std::string>{kNoSshAgentNote});
  EXPECT_TRUE(view.boxes.empty());
  app.LogOut();

  SshAgentSession session(view, agent.Socket());
  app.SetSessionListener(&session);
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].text, "Entry \"" + std::string(app.GetEntry(1)->title.view()) +
                                    "\": the SSH key is protected by a passphrase and the entry has no password.");
  EXPECT_EQ(view.boxes[0].caption, kSshAgentCaption);
  EXPECT_EQ(Listed(), std::vector<std::string>{working});
  app.LogOut();
}

}  // namespace
