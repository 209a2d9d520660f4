#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "safe/entry.h"
#include "ssh_agent/agent_client.h"

// What handing keys to the agent did: one message per entry that could not
// be handled (the others went on), and whether there was an agent at all.
struct SshAgentReport {
  size_t done = 0;
  std::vector<std::string> problems;
  bool noAgent = false;
};

inline constexpr char kNoSshAgentNote[] = "No SSH agent is running; the safe's SSH keys were not added.";

// Hands entries' keys to the agent at SSH_AUTH_SOCK and takes back exactly
// the ones it added: a key the agent already held is left to whoever put
// it there.
class SshAgentKeeper {
 public:
  explicit SshAgentKeeper(std::string socketPath = AgentClient::SocketFromEnvironment());

  // The keys of the entries at these indexes (from 0), with their
  // constraints; an empty list: every entry whose key is to be added at
  // log-in.
  SshAgentReport AddKeys(std::span<const Entry> entries, std::span<const size_t> indexes = {});
  // Every key this keeper added; one whose lifetime ran out is gone already.
  // Keys the agent could not be asked about stay on the list for the next call.
  SshAgentReport RemoveAdded();
  // The keys of these entries, whoever added them; one the agent does not
  // hold is no problem.
  SshAgentReport RemoveKeysOf(std::span<const Entry> entries, std::span<const size_t> indexes);

  size_t AddedCount() const { return added_.size(); }

 private:
  bool Connect(SshAgentReport& report);
  void AddKey(const Entry& entry, const std::vector<AgentIdentity>& held, SshAgentReport& report);
  // A request that failed for the connection; the rest of the batch stops.
  void NoteLostAgent(AgentResult result, SshAgentReport& report);

  std::string socketPath_;
  AgentClient client_;
  std::vector<std::vector<uint8_t>> added_;  // public blobs
};
