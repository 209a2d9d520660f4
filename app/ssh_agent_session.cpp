#include "app/ssh_agent_session.h"

#include <string>

SshAgentSession::SshAgentSession(QuillboxView& view, std::string socketPath)
    : view_(view), keeper_(std::move(socketPath)) {}

void SshAgentSession::SafeOpened(const std::vector<Entry>& entries) {
  SshAgentReport report = keeper_.AddKeys(entries);
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
