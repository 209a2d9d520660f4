#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "ssh_agent/agent_client.h"
#include "ssh_agent/entry_ssh_key.h"
#include "ssh_agent/ssh_agent_keeper.h"
#include "ssh_agent/ssh_fingerprint.h"
#include "tests/unit/core/scratch_dir.h"
#include "tests/unit/ssh_agent/openssh_tools.h"

namespace {

constexpr char kPassphrase[] = "test passphrase";

class AgentTest : public ScratchDirTest {
 protected:
  void SetUp() override { ASSERT_TRUE(agent_.Started()); }

  // An entry holding a new key of that type; its fingerprint in fingerprint.
  Entry KeyEntry(const std::string& name, const std::vector<std::string>& keygen, bool encrypted,
                 std::string* fingerprint) {
    Entry entry;
    entry.title = name;
    entry.password = encrypted ? kPassphrase : "";
    std::string text = MakeKeyFile(Path(name), keygen, entry.password.c_str(), name);
    SshPrivateKey key;
    EXPECT_EQ(PutSshKey(entry, text, &key), SshKeyFault::kNone) << name;
    *fingerprint = KeygenFingerprint(Path(name));
    return entry;
  }

  PrivateAgent agent_{Path("agent.sock")};
};

TEST_F(AgentTest, ClientAddsListsAndRemovesAsSshAddSeesIt) {
  std::string fingerprint;
  Entry entry = KeyEntry("laptop", {"ed25519"}, true, &fingerprint);
  SshPrivateKey key;
  ASSERT_EQ(ReadEntrySshKey(entry, &key), SshKeyFault::kNone);
  AgentClient client;
  ASSERT_EQ(client.Connect(agent_.Socket()), AgentResult::kOk);
  ASSERT_EQ(client.Add(key, {}), AgentResult::kOk);
  EXPECT_EQ(agent_.ListedFingerprints(), std::vector<std::string>{fingerprint});
  std::vector<AgentIdentity> listed;
  ASSERT_EQ(client.List(&listed), AgentResult::kOk);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(SshFingerprint(listed[0].publicBlob), fingerprint);
  EXPECT_EQ(listed[0].comment, "laptop");
  ASSERT_EQ(client.Remove(key.publicBlob), AgentResult::kOk);
  EXPECT_EQ(agent_.ListedFingerprints(), std::vector<std::string>{"The agent has no identities."});
  EXPECT_EQ(client.Remove(key.publicBlob), AgentResult::kRefused);
}

TEST_F(AgentTest, TheLifetimeIsTheAgents) {
  std::string fingerprint;
  Entry entry = KeyEntry("short", {"ecdsa", "-b", "256"}, false, &fingerprint);
  WriteSshOptions(entry, {true, 2, false});
  SshAgentKeeper keeper(agent_.Socket());
  Entry entries[] = {entry};
  SshAgentReport report = keeper.AddKeys(entries);
  EXPECT_EQ(report.done, 1u);
  EXPECT_EQ(agent_.ListedFingerprints(), std::vector<std::string>{fingerprint});
  bool gone = false;
  for (int i = 0; i < 100 && !gone; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    gone = agent_.ListedFingerprints() == std::vector<std::string>{"The agent has no identities."};
  }
  EXPECT_TRUE(gone) << "the key outlived its lifetime";
  // Its removal at lock finds it gone and says nothing of it.
  report = keeper.RemoveAdded();
  EXPECT_TRUE(report.problems.empty());
}

TEST_F(AgentTest, KeeperTakesBackOnlyWhatItAddedAndGoesOnPastBadKeys) {
  std::string ownFingerprint, theirsFingerprint, rsaFingerprint, manualFingerprint;
  Entry own = KeyEntry("own", {"ed25519", "-Z", "aes256-gcm@openssh.com"}, true, &ownFingerprint);
  Entry theirs = KeyEntry("theirs", {"ecdsa", "-b", "384"}, false, &theirsFingerprint);
  Entry rsa = KeyEntry("rsa", {"rsa", "-b", "2048", "-m", "PKCS8"}, true, &rsaFingerprint);
  Entry notChosen = KeyEntry("manual", {"ed25519"}, false, &manualFingerprint);
  WriteSshOptions(notChosen, {false, 0, false});
  Entry wrongPassword = own;
  wrongPassword.title = "wrong";
  wrongPassword.password = "not it";
  Entry noKey;
  noKey.title = "plain";
  // The user added this one before the safe was opened.
  ASSERT_EQ(RunTool({"ssh-add", Path("theirs")}, {"SSH_AUTH_SOCK=" + agent_.Socket()}).status, 0);

  std::vector<Entry> entries = {wrongPassword, own, noKey, theirs, notChosen, rsa};
  SshAgentKeeper keeper(agent_.Socket());
  SshAgentReport report = keeper.AddKeys(entries);
  EXPECT_EQ(report.done, 3u);
  EXPECT_EQ(report.problems,
            std::vector<std::string>{"Entry \"wrong\": the SSH key does not open with the entry's password."});
  EXPECT_EQ(keeper.AddedCount(), 2u);
  std::vector<std::string> listed = agent_.ListedFingerprints();
  std::sort(listed.begin(), listed.end());
  std::vector<std::string> expected = {ownFingerprint, theirsFingerprint, rsaFingerprint};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);

  report = keeper.RemoveAdded();
  EXPECT_EQ(report.done, 2u);
  EXPECT_EQ(agent_.ListedFingerprints(), std::vector<std::string>{theirsFingerprint});
}

TEST_F(AgentTest, NoAgentARefusingAgentAndAGoneAgentAreTold) {
  std::string fingerprint;
  std::vector<Entry> entries = {KeyEntry("k", {"ed25519"}, false, &fingerprint),
                                KeyEntry("l", {"ed25519"}, false, &fingerprint)};
  SshAgentReport report = SshAgentKeeper(Path("nobody.sock")).AddKeys(entries);
  EXPECT_TRUE(report.noAgent);
  EXPECT_EQ(report.done, 0u);

  // A locked agent refuses new keys.
  std::string askpass = Path("askpass");
  WriteTextFile(askpass, "#!/bin/sh\necho test-lock\n");
  chmod(askpass.c_str(), 0700);
  std::vector<std::string> environment = {"SSH_AUTH_SOCK=" + agent_.Socket(), "SSH_ASKPASS=" + askpass,
                                          "SSH_ASKPASS_REQUIRE=force"};
  ASSERT_EQ(RunTool({"ssh-add", "-x"}, environment).status, 0);
  SshAgentKeeper keeper(agent_.Socket());
  report = keeper.AddKeys(entries);
  EXPECT_EQ(report.problems, (std::vector<std::string>{"Entry \"k\": the SSH agent refused it.",
                                                       "Entry \"l\": the SSH agent refused it."}));
  ASSERT_EQ(RunTool({"ssh-add", "-X"}, environment).status, 0);
  EXPECT_EQ(keeper.AddKeys(entries).done, 2u);

  // Gone by lock time: nothing is left to remove, and that is told once.
  agent_.Stop();
  report = keeper.RemoveAdded();
  EXPECT_TRUE(report.noAgent);
  EXPECT_TRUE(report.problems.empty());
}

// The agent out of reach at lock time (its socket moved, the agent still
// holding the keys): the keeper keeps track of them and takes them back at
// the next call.
TEST_F(AgentTest, KeysAnUnreachableAgentHoldsAreTakenBackLater) {
  std::string fingerprint;
  std::vector<Entry> entries = {KeyEntry("k", {"ed25519"}, false, &fingerprint),
                                KeyEntry("l", {"ecdsa", "-b", "256"}, false, &fingerprint)};
  SshAgentKeeper keeper(agent_.Socket());
  ASSERT_EQ(keeper.AddKeys(entries).done, 2u);
  const std::string moved = Path("moved.sock");
  ASSERT_EQ(rename(agent_.Socket().c_str(), moved.c_str()), 0);
  SshAgentReport report = keeper.RemoveAdded();
  EXPECT_TRUE(report.noAgent);
  EXPECT_EQ(keeper.AddedCount(), 2u);
  ASSERT_EQ(rename(moved.c_str(), agent_.Socket().c_str()), 0);
  report = keeper.RemoveAdded();
  EXPECT_EQ(report.done, 2u);
  EXPECT_EQ(keeper.AddedCount(), 0u);
  EXPECT_EQ(agent_.ListedFingerprints(), std::vector<std::string>{"The agent has no identities."});
}

}  // namespace
