#include "secret_service/access_gate.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

class FakeAsker : public AccessAsker {
 public:
  struct Question {
    std::string text;
    bool isRead = false;
    bool canRemember = false;
  };
  void Ask(const std::string& text, bool isRead, bool canRemember) override {
    shown = Question{text, isRead, canRemember};
    ++asked;
  }
  void Withdraw() override { shown.reset(); }

  std::optional<Question> shown;
  int asked = 0;
};

EntryId Id(uint8_t n) {
  EntryId id;
  id.bytes[0] = n;
  return id;
}

ProcessIdentity Program(const std::string& executable) {
  ProcessIdentity program;
  program.pid = 100;
  program.startTicks = 1;
  program.executable = executable;
  program.interpreter = IsInterpreter(executable);
  return program;
}

// A safe of served entries, programs behind clients, and the outcomes seen.
class AccessGateTest : public testing::Test {
 protected:
  AccessGateTest()
      : grants_(""),
        gate_(
            asker_, grants_,
            [this](const EntryId& id) -> const Entry* {
              const auto found = entries_.find(id);
              return locked_ || found == entries_.end() ? nullptr : &found->second;
            },
            [this](const AccessGate::Client& client) { return programs_[client]; }) {
    for (uint8_t n = 1; n <= 3; ++n) {
      Entry entry;
      entry.id = Id(n);
      entry.title = "Entry " + std::to_string(n);
      entries_[entry.id] = entry;
    }
    programs_[":1.1"] = Program("/usr/bin/secret-tool");
    programs_[":1.2"] = Program("/usr/bin/python3.11");
  }

  // The outcome, once it came; its allowed ids in ids.
  std::optional<AccessOutcome>* Request(const std::string& client, AccessKind kind, std::vector<EntryId> ids) {
    outcomes_.push_back(std::nullopt);
    allowed_.emplace_back();
    const size_t slot = outcomes_.size() - 1;
    gate_.Request(client, kind, std::move(ids), [this, slot](AccessOutcome outcome, std::vector<EntryId> allowed) {
      outcomes_[slot] = outcome;
      allowed_[slot] = std::move(allowed);
    });
    return &outcomes_[slot];
  }
  std::optional<AccessOutcome> Outcome(size_t slot) const { return outcomes_[slot]; }

  FakeAsker asker_;
  AccessGrants grants_;
  std::map<EntryId, Entry> entries_;
  std::map<std::string, ProcessIdentity> programs_;
  bool locked_ = false;
  AccessGate gate_;
  std::deque<std::optional<AccessOutcome>> outcomes_;
  std::deque<std::vector<EntryId>> allowed_;
};

TEST_F(AccessGateTest, AReadIsAskedOncePerConnectionAndEntry) {
  Request(":1.1", AccessKind::kRead, {Id(1), Id(2)});
  ASSERT_TRUE(asker_.shown);
  EXPECT_TRUE(asker_.shown->isRead);
  EXPECT_TRUE(asker_.shown->canRemember);
  EXPECT_NE(asker_.shown->text.find("Entry: Entry 1\n"), std::string::npos);
  gate_.Answer(AccessAnswer::kAllow);
  EXPECT_NE(asker_.shown->text.find("Entry: Entry 2\n"), std::string::npos);
  EXPECT_FALSE(Outcome(0));
  gate_.Answer(AccessAnswer::kAllow);
  EXPECT_EQ(Outcome(0), AccessOutcome::kAllowed);
  EXPECT_EQ(allowed_[0], (std::vector<EntryId>{Id(1), Id(2)}));
  // Allowed for that connection, while it lasts.
  const int asked = asker_.asked;
  Request(":1.1", AccessKind::kRead, {Id(2)});
  EXPECT_EQ(Outcome(1), AccessOutcome::kAllowed);
  Request(":1.3", AccessKind::kRead, {Id(2)});
  EXPECT_EQ(asker_.asked, asked + 1);
  gate_.Answer(AccessAnswer::kDeny);
  EXPECT_EQ(Outcome(2), AccessOutcome::kDenied);
  gate_.ForgetClient(":1.1");
  Request(":1.1", AccessKind::kRead, {Id(2)});
  EXPECT_FALSE(Outcome(3));
}

TEST_F(AccessGateTest, AllowAlwaysIsKeptOnlyForAProgramThatCanBeNamed) {
  Request(":1.1", AccessKind::kRead, {Id(1)});
  gate_.Answer(AccessAnswer::kAllowAlways);
  EXPECT_TRUE(grants_.IsAllowed(Id(1), "/usr/bin/secret-tool"));
  // Another connection of the same program: not asked.
  programs_[":1.9"] = Program("/usr/bin/secret-tool");
  Request(":1.9", AccessKind::kRead, {Id(1)});
  EXPECT_EQ(Outcome(1), AccessOutcome::kAllowed);
  // An interpreter, a replaced file, a process not known: no Allow Always.
  ProcessIdentity replaced = Program("/usr/bin/helper");
  replaced.executableGone = true;
  programs_[":1.4"] = replaced;
  programs_[":1.5"] = ProcessIdentity();
  for (const char* client : {":1.2", ":1.4", ":1.5"}) {
    const size_t slot = outcomes_.size();
    Request(client, AccessKind::kRead, {Id(3)});
    ASSERT_TRUE(asker_.shown) << client;
    EXPECT_FALSE(asker_.shown->canRemember) << client;
    gate_.Answer(AccessAnswer::kAllowAlways);  // as if the button were pressed anyway
    EXPECT_EQ(Outcome(slot), AccessOutcome::kAllowed);
  }
  EXPECT_FALSE(grants_.IsAllowed(Id(3), "/usr/bin/python3.11"));
  EXPECT_FALSE(grants_.IsAllowed(Id(3), "/usr/bin/helper"));
  EXPECT_FALSE(grants_.IsAllowed(Id(3), ""));
}

TEST_F(AccessGateTest, TheProgramIsLookedAtAgainWhenTheQuestionIsPut) {
  Request(":1.2", AccessKind::kRead, {Id(1)});  // its question first
  Request(":1.1", AccessKind::kRead, {Id(2)});
  // The client's process ran another program meanwhile.
  programs_[":1.1"] = ProcessIdentity();
  gate_.Answer(AccessAnswer::kAllow);
  ASSERT_TRUE(asker_.shown);
  EXPECT_NE(asker_.shown->text.find("Program: not known"), std::string::npos);
  EXPECT_FALSE(asker_.shown->canRemember);
}

TEST_F(AccessGateTest, ChangesToAnotherClientsItemAreAskedWithoutAllowAlways) {
  gate_.NoteCreated(":1.1", Id(1));
  Request(":1.1", AccessKind::kChange, {Id(1)});
  Request(":1.1", AccessKind::kDelete, {Id(1)});
  EXPECT_EQ(Outcome(0), AccessOutcome::kAllowed);
  EXPECT_EQ(Outcome(1), AccessOutcome::kAllowed);
  EXPECT_EQ(asker_.asked, 0);
  Request(":1.1", AccessKind::kChange, {Id(2)});
  ASSERT_TRUE(asker_.shown);
  EXPECT_FALSE(asker_.shown->isRead);
  EXPECT_EQ(asker_.shown->text.find("Allow this program to change this entry?"), 0u);
  gate_.Answer(AccessAnswer::kDeny);
  EXPECT_EQ(Outcome(2), AccessOutcome::kDenied);
  Request(":1.1", AccessKind::kDelete, {Id(2)});
  EXPECT_EQ(asker_.shown->text.find("Allow this program to delete this entry?"), 0u);
  gate_.Answer(AccessAnswer::kAllow);
  EXPECT_EQ(Outcome(3), AccessOutcome::kAllowed);
  // Another connection made it: not this one's.
  gate_.NoteCreated(":1.2", Id(3));
  Request(":1.1", AccessKind::kDelete, {Id(3)});
  EXPECT_FALSE(Outcome(4));
}

TEST_F(AccessGateTest, OneClientWaitsOnAFewRequestsAndOthersStillGetAsked) {
  for (size_t i = 0; i < AccessGate::kMaxWaitingPerClient; ++i) Request(":1.1", AccessKind::kRead, {Id(1)});
  Request(":1.1", AccessKind::kRead, {Id(2)});
  EXPECT_EQ(outcomes_.back(), AccessOutcome::kLimited);
  Request(":1.2", AccessKind::kRead, {Id(2)});
  EXPECT_FALSE(outcomes_.back());
  EXPECT_EQ(gate_.Waiting(), AccessGate::kMaxWaitingPerClient + 1);
  // The client leaves: its question goes, the other client's comes.
  gate_.ForgetClient(":1.1");
  ASSERT_TRUE(asker_.shown);
  EXPECT_NE(asker_.shown->text.find("Entry: Entry 2\n"), std::string::npos);
  EXPECT_EQ(gate_.Waiting(), 1u);
  gate_.Answer(AccessAnswer::kAllow);
  EXPECT_EQ(outcomes_.back(), AccessOutcome::kAllowed);
}

TEST_F(AccessGateTest, LockingEndsEveryWaitingRequest) {
  Request(":1.1", AccessKind::kRead, {Id(1)});
  Request(":1.2", AccessKind::kChange, {Id(2)});
  locked_ = true;
  gate_.EndAll(AccessOutcome::kLocked);
  EXPECT_FALSE(asker_.shown);
  EXPECT_EQ(Outcome(0), AccessOutcome::kLocked);
  EXPECT_EQ(Outcome(1), AccessOutcome::kLocked);
  // A locked safe serves nothing to ask about.
  Request(":1.1", AccessKind::kDelete, {Id(1)});
  EXPECT_EQ(Outcome(2), AccessOutcome::kGone);
  Request(":1.1", AccessKind::kRead, {Id(1)});
  EXPECT_EQ(Outcome(3), AccessOutcome::kAllowed);
  EXPECT_TRUE(allowed_[3].empty());
}

TEST_F(AccessGateTest, AnEntryGoneWhileAskedAboutEndsTheRequest) {
  Request(":1.1", AccessKind::kChange, {Id(1)});
  entries_.erase(Id(1));
  gate_.Answer(AccessAnswer::kAllow);
  EXPECT_EQ(Outcome(0), AccessOutcome::kGone);
  Request(":1.1", AccessKind::kRead, {Id(2), Id(3)});
  entries_.erase(Id(3));
  gate_.Answer(AccessAnswer::kAllow);
  EXPECT_EQ(Outcome(1), AccessOutcome::kAllowed);
  EXPECT_EQ(allowed_[1], std::vector<EntryId>{Id(2)});
}

TEST_F(AccessGateTest, WithoutConfirmationNothingIsAsked) {
  gate_.SetConfirm(false);
  Request(":1.2", AccessKind::kRead, {Id(1), Id(2)});
  Request(":1.2", AccessKind::kDelete, {Id(3)});
  EXPECT_EQ(Outcome(0), AccessOutcome::kAllowed);
  EXPECT_EQ(Outcome(1), AccessOutcome::kAllowed);
  EXPECT_EQ(asker_.asked, 0);
}

}  // namespace
