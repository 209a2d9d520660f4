#include "ssh_agent/ssh_agent_keeper.h"

#include <algorithm>
#include <cctype>

#include "ssh_agent/entry_ssh_key.h"

namespace {

bool Holds(const std::vector<AgentIdentity>& held, std::span<const uint8_t> blob) {
  return std::any_of(held.begin(), held.end(), [&](const AgentIdentity& identity) {
    return std::equal(identity.publicBlob.begin(), identity.publicBlob.end(), blob.begin(), blob.end());
  });
}

std::vector<size_t> Chosen(std::span<const Entry> entries, std::span<const size_t> indexes) {
  if (!indexes.empty()) return {indexes.begin(), indexes.end()};
  std::vector<size_t> chosen;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (HasSshKey(entries[i]) && ReadSshOptions(entries[i]).addAtLogIn) chosen.push_back(i);
  }
  return chosen;
}

// The entry's key, or its problem in the report.
bool ReadKey(const Entry& entry, SshPrivateKey* key, SshAgentReport& report) {
  if (!HasSshKey(entry)) {
    report.problems.push_back(EntryMessage(entry, "it holds no SSH key."));
    return false;
  }
  SshKeyFault fault = ReadEntrySshKey(entry, key);
  if (fault == SshKeyFault::kNone) return true;
  report.problems.push_back(SshKeyFaultMessage(entry, fault));
  return false;
}

}  // namespace

SshAgentKeeper::SshAgentKeeper(std::string socketPath) : socketPath_(std::move(socketPath)) {}

bool SshAgentKeeper::Connect(SshAgentReport& report) {
  // A new connection each time: the agent may have been restarted since.
  AgentResult result = client_.Connect(socketPath_);
  if (result == AgentResult::kOk) return true;
  report.noAgent = true;
  return false;
}

void SshAgentKeeper::NoteLostAgent(AgentResult result, SshAgentReport& report) {
  std::string text = DescribeAgentResult(result);
  text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  report.problems.push_back(text + ".");
}

SshAgentReport SshAgentKeeper::AddKeys(std::span<const Entry> entries, std::span<const size_t> indexes) {
  SshAgentReport report;
  std::vector<size_t> chosen = Chosen(entries, indexes);
  if (chosen.empty() || !Connect(report)) return report;
  std::vector<AgentIdentity> held;
  AgentResult listed = client_.List(&held);
  if (listed != AgentResult::kOk && listed != AgentResult::kRefused) {
    NoteLostAgent(listed, report);
    return report;
  }
  for (size_t index : chosen) {
    AddKey(entries[index], held, report);
    // The entry's message told it; the entries after it are not tried.
    if (!client_.IsConnected()) break;
  }
  return report;
}

void SshAgentKeeper::AddKey(const Entry& entry, const std::vector<AgentIdentity>& held, SshAgentReport& report) {
  SshPrivateKey key;
  if (!ReadKey(entry, &key, report)) return;
  bool ours = std::find(added_.begin(), added_.end(), key.publicBlob) != added_.end();
  if (!ours && Holds(held, key.publicBlob)) {
    // Someone else's: adding would make it ours to remove at lock.
    ++report.done;
    return;
  }
  EntrySshOptions options = ReadSshOptions(entry);
  AgentResult result = client_.Add(key, {options.removeAfterSeconds, options.askBeforeUse});
  if (result != AgentResult::kOk) {
    report.problems.push_back(EntryMessage(entry, std::string(DescribeAgentResult(result)) + "."));
    return;
  }
  if (!ours) added_.push_back(key.publicBlob);
  ++report.done;
}

SshAgentReport SshAgentKeeper::RemoveAdded() {
  SshAgentReport report;
  // A key is forgotten only once the agent has answered for it: those a
  // failed connection left behind are taken back at the next try.
  if (added_.empty() || !Connect(report)) return report;
  while (!added_.empty()) {
    AgentResult result = client_.Remove(added_.back());
    if (result == AgentResult::kGone) {
      NoteLostAgent(result, report);
      break;
    }
    // Refused: the key's lifetime ran out, or the user removed it already.
    if (result == AgentResult::kOk) ++report.done;
    added_.pop_back();
  }
  return report;
}

SshAgentReport SshAgentKeeper::RemoveKeysOf(std::span<const Entry> entries, std::span<const size_t> indexes) {
  SshAgentReport report;
  if (!Connect(report)) return report;
  for (size_t index : indexes) {
    const Entry& entry = entries[index];
    SshPrivateKey key;
    if (!ReadKey(entry, &key, report)) continue;
    AgentResult result = client_.Remove(key.publicBlob);
    // Refused: the agent does not hold it, which is what was asked.
    if (result == AgentResult::kOk) {
      ++report.done;
      std::erase(added_, key.publicBlob);
    } else if (result != AgentResult::kRefused) {
      NoteLostAgent(result, report);
      break;
    }
  }
  return report;
}
