#include "cli/totp_command.h"

#include <string.h>

#include <string>

#include "safe/one_time_code.h"

ExitStatus RunTotp(CliSession& session) {
  EntryList entries;
  size_t index = session.arguments().indexes[0];
  ExitStatus status = session.LoadForReading(entries);
  if (status == kExitOk) status = session.CheckIndex(index, entries.entries.size());
  if (status != kExitOk) return status;
  const Entry& entry = entries.entries[index - 1];
  if (entry.totp.empty()) {
    return session.Fail(kExitBadArguments,
                        "entry " + std::to_string(index) + " has no one-time code; edit --totp gives it one");
  }
  TotpCode code;
  if (const char* problem = CurrentOneTimeCode(entry.totp.view(), session.UtcNow(), code)) {
    return session.Fail(kExitFailure, problem);
  }
  int written = fprintf(session.out(), "%s\t%d\n", code.text, code.secondsLeft);
  explicit_bzero(&code, sizeof(code));
  if (written > 0 && fflush(session.out()) == 0 && !ferror(session.out())) return kExitOk;
  return session.Fail(kExitFailure, "standard output could not be written");
}
