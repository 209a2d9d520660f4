#include "cli/ssh_commands.h"

#include <vector>

#include "cli/change_commands.h"
#include "safe/entry_field_rules.h"
#include "ssh_agent/entry_ssh_key.h"
#include "ssh_agent/ssh_agent_keeper.h"
#include "ssh_agent/ssh_fingerprint.h"

namespace {

// The safe's entries and those the command line names (from 0), each
// checked; none named: empty.
ExitStatus LoadChosenEntries(CliSession& session, EntryList& entries, std::vector<size_t>* chosen) {
  ExitStatus status = session.LoadForReading(entries);
  if (status != kExitOk) return status;
  for (size_t index : session.arguments().indexes) {
    ExitStatus status = session.CheckIndex(index, entries.entries.size());
    if (status != kExitOk) return status;
    chosen->push_back(index - 1);
  }
  return kExitOk;
}

std::string Keys(size_t count) { return std::to_string(count) + (count == 1 ? " SSH key" : " SSH keys"); }

// Every problem on its own line; the others were handled.
ExitStatus Finish(CliSession& session, const SshAgentReport& report, const char* done) {
  if (report.noAgent) return session.Fail(kExitFailure, kNoSshAgentNote);
  for (const std::string& problem : report.problems) session.Warn(problem);
  fprintf(session.out(), "%s %s\n", done, Keys(report.done).c_str());
  if (fflush(session.out()) != 0) return session.Fail(kExitFailure, "standard output could not be written");
  return report.problems.empty() ? kExitOk : kExitFailure;
}

}  // namespace

ExitStatus RunSshKey(CliSession& session) {
  if (session.SafeOnDiskIsLegacy()) return session.Fail(kExitBadArguments, kNeedsStrongFormatMessage);
  const std::string& path = session.arguments().ssh_key_file;
  SecretText text;
  switch (ReadSshKeyFile(path.c_str(), &text)) {
    case KeyFileRead::kUnreadable:
      return session.Fail(kExitBadArguments, "the key file cannot be read: " + path);
    case KeyFileRead::kTooLarge:
      return session.Fail(kExitBadArguments, "the key file is too large: " + path);
    case KeyFileRead::kRead:
      break;
  }
  Entry shown;
  ExitStatus status = LogInForEntry(session, &shown);
  if (status != kExitOk) return status;
  Entry edited = shown;
  SshPrivateKey key;
  SshKeyFault fault = PutSshKey(edited, text.view(), &key);
  if (fault != SshKeyFault::kNone) return session.Fail(kExitBadArguments, SshKeyFaultMessage(edited, fault));
  status = SaveEdit(session, shown, edited);
  if (status != kExitOk) return status;
  fprintf(session.out(), "%s %s\n", SshFingerprint(key.publicBlob).c_str(), key.comment.c_str());
  return fflush(session.out()) == 0 ? kExitOk : session.Fail(kExitFailure, "standard output could not be written");
}

ExitStatus RunSshAdd(CliSession& session) {
  EntryList entries;
  std::vector<size_t> chosen;
  ExitStatus status = LoadChosenEntries(session, entries, &chosen);
  if (status != kExitOk) return status;
  // An entry named without a key is told; unnamed ones are skipped.
  SshAgentKeeper keeper;
  SshAgentReport report = keeper.AddKeys(entries.entries, chosen);
  return Finish(session, report, "Added");
}

ExitStatus RunSshRemove(CliSession& session) {
  EntryList entries;
  std::vector<size_t> chosen;
  ExitStatus status = LoadChosenEntries(session, entries, &chosen);
  if (status != kExitOk) return status;
  if (chosen.empty()) {
    for (size_t i = 0; i < entries.entries.size(); ++i) {
      if (HasSshKey(entries.entries[i])) chosen.push_back(i);
    }
  }
  SshAgentKeeper keeper;
  return Finish(session, keeper.RemoveKeysOf(entries.entries, chosen), "Removed");
}
