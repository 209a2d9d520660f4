#include "cli/merge_command.h"

#include <string>

#include "app/quillbox_messages.h"

ExitStatus RunMerge(CliSession& session) {
  TypedSecret password;
  ExitStatus status = session.LogInForChange(kSafePasswordPrompt, kLogInFailedMessage, &password);
  if (status != kExitOk) return status;
  ConflictMerge merge = session.app().MergeConflictCopies(password.c_str());
  for (const std::string& name : merge.refused) {
    session.Fail(kExitOk, name + " does not open with this password and was left alone");
  }
  for (const std::string& name : merge.tooCostly) session.Fail(kExitOk, name + kCostlyCopyNote);
  if (!merge.saved) {
    if (session.app().LastSaveWasBlocked()) return session.FailLocked();
    return session.Fail(kExitFailure, "The safe could not be saved; the conflict copies were left alone");
  }
  std::fprintf(session.out(), "%zu %s came in from %zu conflict %s\n", merge.entries,
               merge.entries == 1 ? "entry" : "entries", merge.copies, merge.copies == 1 ? "copy" : "copies");
  return std::fflush(session.out()) == 0 ? kExitOk : kExitFailure;
}
