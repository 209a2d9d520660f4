#include "app/ssh_agent_session.h"

#include <algorithm>
#include <string>

#include "ssh_agent/entry_ssh_key.h"

SshKeysHeld SshKeysOf(const std::vector<Entry>& entries) {
  SshKeysHeld keys;
  for (const Entry& entry : entries) {
    const CustomField* key = entry.FindField(kSshKeyField);
    if (key != nullptr && ReadSshOptions(entry).addAtLogIn) keys.emplace_back(entry.id, key->value);
  }
  return keys;
}

SshAgentSession::SshAgentSession(QuillboxView& view, std::string socketPath)
    : view_(view), keeper_(std::move(socketPath)) {}

void SshAgentSession::SafeOpened(const std::vector<Entry>& entries) { Tell(keeper_.AddKeys(entries)); }

void SshAgentSession::AddLoadedKeys(const SshKeysHeld& before, const std::vector<Entry>& entries) {
  std::vector<size_t> loaded;
  const SshKeysHeld now = SshKeysOf(entries);
  for (const auto& pair : now) {
    const auto& id = pair.first;
    const bool held = std::any_of(before.begin(), before.end(), [&](const auto& earlier) { return earlier == pair; });
    if (held) continue;
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.id == id; });
    loaded.push_back(static_cast<size_t>(entry - entries.begin()));
  }
  if (loaded.empty()) return;
  const SshAgentReport report = keeper_.AddKeys(entries, loaded);
  Tell(report);
  if (!report.noAgent && report.problems.empty()) view_.ShowStatus(kSshKeyAddedNote);
}

void SshAgentSession::Tell(const SshAgentReport& report) {
  if (report.noAgent) view_.ShowStatus(kNoSshAgentNote);
  if (report.problems.empty()) return;
  std::string text;
  for (const std::string& problem : report.problems) text += (text.empty() ? "" : "\r\n") + problem;
  view_.ShowMessageBox(nullptr, text.c_str(), kSshAgentCaption, kMbOk | kMbIconWarning);
}

void SshAgentSession::SafeClosing() {
  // Taking keys back never asks: it runs at exit too.
  (void)keeper_.RemoveAdded();
}
