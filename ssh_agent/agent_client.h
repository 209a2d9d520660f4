#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ssh_agent/ssh_private_key.h"

// What became of a request to the agent.
enum class AgentResult {
  kOk,
  kNoAgent,  // SSH_AUTH_SOCK unset, or nothing listens there
  kRefused,  // the agent answered with a failure
  kGone,     // the connection broke or the answer made no sense
};

// One line for people, without a full stop.
const char* DescribeAgentResult(AgentResult result);

struct AgentConstraints {
  uint32_t lifetimeSeconds = 0;  // 0: no lifetime
  bool confirm = false;          // the agent asks before each use
};

struct AgentIdentity {
  std::vector<uint8_t> publicBlob;
  std::string comment;
};

// A client of the SSH agent protocol (draft-miller-ssh-agent) over the
// agent's Unix socket: add, remove and list identities. Any agent that
// speaks it will do: OpenSSH's, gpg-agent's, gnome-keyring's.
class AgentClient {
 public:
  AgentClient() = default;
  ~AgentClient();
  AgentClient(const AgentClient&) = delete;
  AgentClient& operator=(const AgentClient&) = delete;

  // The socket SSH_AUTH_SOCK names, or an empty text.
  static std::string SocketFromEnvironment();
  AgentResult Connect(const std::string& socketPath);
  bool IsConnected() const { return socket_ >= 0; }

  AgentResult Add(const SshPrivateKey& key, const AgentConstraints& constraints);
  AgentResult Remove(std::span<const uint8_t> publicBlob);
  AgentResult List(std::vector<AgentIdentity>* identities);

 private:
  // Sends one message and reads the one answer; kGone closes the socket.
  AgentResult Exchange(std::span<const uint8_t> request, WipingBytes* answer);
  AgentResult ExpectSuccess(std::span<const uint8_t> request);
  void Close();

  int socket_ = -1;
};
