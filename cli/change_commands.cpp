#include "cli/change_commands.h"

#include "safe/entry_field_rules.h"

#include <string.h>

#include <vector>

namespace {

// The fields given on the command line are checked before any password is
// asked, so a script learns of a bad field without typing anything.
ExitStatus CheckCommandLineFields(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  const char* problem =
      CheckDesignedFields(session.SafeFormatOnDisk(), arguments.description, arguments.account_user, "");
  return problem == nullptr ? kExitOk : session.Fail(kExitBadArguments, problem);
}

}  // namespace

ExitStatus RunAdd(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  ExitStatus status = CheckCommandLineFields(session);
  if (status == kExitOk) status = session.LogInForChange();
  TypedSecret password;
  if (status == kExitOk) status = session.ReadEntryPassword(&password);
  if (status == kExitOk) {
    status = session.CheckEntry(arguments.description.c_str(), arguments.account_user.c_str(), password.c_str());
  }
  if (status != kExitOk) return status;
  if (!session.app().AddEntry(arguments.description.c_str(), arguments.account_user.c_str(), password.c_str())) {
    return session.Fail(kExitFailure, "the entry could not be added");
  }
  return session.CheckSaved();
}

ExitStatus RunEdit(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  ExitStatus status = CheckCommandLineFields(session);
  if (status == kExitOk) status = session.LogInForChange();
  size_t index = arguments.indexes[0];
  if (status == kExitOk) status = session.CheckIndex(index, session.app().GetEntries().size());
  if (status != kExitOk) return status;
  int entry = static_cast<int>(index - 1);
  // A copy: the edit's own save may replace the list it came from.
  const Entry stored = *session.app().GetEntry(entry);
  TypedSecret new_password;
  if (arguments.edit_password) {
    status = session.ReadEntryPassword(&new_password);
    if (status != kExitOk) return status;
  }
  const char* description = arguments.edit_description ? arguments.description.c_str() : stored.title.c_str();
  const char* account_user = arguments.edit_account_user ? arguments.account_user.c_str() : stored.userName.c_str();
  const char* password = arguments.edit_password ? new_password.c_str() : stored.password.c_str();
  status = session.CheckEntry(description, account_user, password);
  if (status != kExitOk) return status;
  if (!session.app().EditEntry(entry, description, account_user, password)) {
    return session.Fail(kExitFailure, "the entry could not be changed");
  }
  return session.CheckSaved();
}

ExitStatus RunRemove(CliSession& session) {
  ExitStatus status = session.LogInForChange();
  if (status != kExitOk) return status;
  size_t count = session.app().GetEntries().size();
  std::vector<bool> selected(count, false);
  for (size_t index : session.arguments().indexes) {
    status = session.CheckIndex(index, count);
    if (status != kExitOk) return status;
    selected[index - 1] = true;
  }
  session.view().SelectEntries(std::move(selected));
  session.app().DeleteSelectedEntries(nullptr);
  if (session.view().DeclinedQuestion()) {
    return session.Fail(kExitFailure, "nothing was deleted; --yes confirms the deletion");
  }
  return session.CheckSaved();
}
