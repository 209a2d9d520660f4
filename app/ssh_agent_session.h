#pragma once

#include <string>

#include "app/quillbox_view.h"
#include "app/safe_session_listener.h"
#include "sshagent/ssh_agent_keeper.h"

inline constexpr char kSshAgentCaption[] = "SSH Agent";

// The open safe's SSH keys in the agent: the chosen ones are added when a
// safe opens and exactly those are taken back when it closes. No agent is
// one status-bar note; a key that cannot be added is told by name in one
// message, and the others are added.
class SshAgentSession : public SafeSessionListener {
 public:
  explicit SshAgentSession(QuillboxView& view, std::string socketPath = AgentClient::SocketFromEnvironment());

  void SafeOpened(const std::vector<Entry>& entries) override;
  void SafeClosing() override;

 private:
  QuillboxView& view_;
  SshAgentKeeper keeper_;
};
