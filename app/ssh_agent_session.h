#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/quillbox_view.h"
#include "app/safe_session_listener.h"
#include "ssh_agent/ssh_agent_keeper.h"

inline constexpr char kSshAgentCaption[] = "SSH Agent";
inline constexpr char kSshKeyAddedNote[] = "The entry's SSH key was added to the SSH agent.";

// The SSH key of each entry whose key is to be added at log-in, by entry
// id: what a change is compared with.
using SshKeysHeld = std::vector<std::pair<EntryId, SecretText>>;
SshKeysHeld SshKeysOf(const std::vector<Entry>& entries);

// The open safe's SSH keys in the agent: the chosen ones are added when a
// safe opens and exactly those are taken back when it closes. No agent is
// one status-bar note; a key that cannot be added is told by name in one
// message, and the others are added.
class SshAgentSession : public SafeSessionListener {
 public:
  explicit SshAgentSession(QuillboxView& view, std::string socketPath = AgentClient::SocketFromEnvironment());

  void SafeOpened(const std::vector<Entry>& entries) override;
  void SafeClosing() override;
  // A key loaded into an entry while the safe is open, or newly set to be
  // added at log-in, goes to the agent at once, and the status bar says so.
  void AddLoadedKeys(const SshKeysHeld& before, const std::vector<Entry>& entries);

 private:
  void Tell(const SshAgentReport& report);

  QuillboxView& view_;
  SshAgentKeeper keeper_;
};
