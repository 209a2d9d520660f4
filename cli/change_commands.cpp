#include "cli/change_commands.h"

#include <vector>

#include "cli/entry_options.h"
#include "safe/entry_field_rules.h"

namespace {

// The fields given on the command line are checked before any password is
// asked, so a script learns of a bad field without typing anything.
ExitStatus CheckCommandLineFields(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  const char* problem =
      CheckDesignedFields(session.SafeFormatOnDisk(), arguments.description, arguments.account_user, "");
  if (problem != nullptr) return session.Fail(kExitBadArguments, problem);
  return RefuseStrongOnlyOptionsOnLegacySafe(session);
}

}  // namespace

ExitStatus LogInForEntry(CliSession& session, Entry* shown) {
  ExitStatus status = session.LogInForChange();
  size_t index = session.arguments().indexes[0];
  if (status == kExitOk) status = session.CheckIndex(index, session.app().GetEntries().size());
  if (status == kExitOk) *shown = *session.app().GetEntry(static_cast<int>(index - 1));
  return status;
}

ExitStatus SaveEdit(CliSession& session, const Entry& shown, Entry& edited) {
  ExitStatus status = session.CheckEntry(edited);
  if (status != kExitOk) return status;
  if (!session.app().EditEntry(shown, std::move(edited))) {
    return session.Fail(kExitFailure, "the entry could not be changed");
  }
  return session.CheckSaved();
}

ExitStatus RunAdd(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  ExitStatus status = CheckCommandLineFields(session);
  if (status == kExitOk) status = session.LogInForChange();
  if (status != kExitOk) return status;
  Entry entry;
  entry.title = arguments.description;
  entry.userName = arguments.account_user;
  {
    TypedSecret password(session.EntryTextLimit());
    status = session.ReadEntryPassword(&password);
    entry.password = password.view();
  }
  if (status == kExitOk) status = ApplyEntryOptions(session, entry);
  if (status == kExitOk) status = session.CheckEntry(entry);
  if (status != kExitOk) return status;
  if (!session.app().AddEntry(std::move(entry))) return session.Fail(kExitFailure, "the entry could not be added");
  return session.CheckSaved();
}

ExitStatus RunEdit(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  Entry shown;
  ExitStatus status = CheckCommandLineFields(session);
  if (status == kExitOk) status = LogInForEntry(session, &shown);
  if (status != kExitOk) return status;
  Entry edited = shown;
  if (arguments.edit_description) edited.title = arguments.description;
  if (arguments.edit_account_user) edited.userName = arguments.account_user;
  if (arguments.edit_password) {
    TypedSecret password(session.EntryTextLimit());
    status = session.ReadEntryPassword(&password);
    edited.password = password.view();
  }
  if (status == kExitOk) status = ApplyEntryOptions(session, edited);
  return status == kExitOk ? SaveEdit(session, shown, edited) : status;
}

ExitStatus RunField(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  const std::string& name = arguments.field_name;
  ExitStatus status = RefuseStrongOnlyOptionsOnLegacySafe(session);
  if (status == kExitOk && name.empty()) status = session.Fail(kExitBadArguments, "a custom field needs a name");
  if (status == kExitOk && arguments.field_delete && arguments.field_protected) {
    status = session.Fail(kExitBadArguments, "--protected and --delete do not go together");
  }
  Entry shown;
  if (status == kExitOk) status = LogInForEntry(session, &shown);
  if (status != kExitOk) return status;
  Entry edited = shown;
  if (arguments.field_delete) {
    if (!edited.RemoveField(name)) return session.Fail(kExitBadArguments, "the entry has no field " + name);
    return SaveEdit(session, shown, edited);
  }
  TypedSecret value(kMaxEntryTextBytes);
  std::string error;
  if (!session.input().ReadStdinRest(("Value of " + name + ": ").c_str(), "the value", arguments.field_protected,
                                     &value, kEntryTextTooLongMessage, &error)) {
    return session.Fail(kExitBadArguments, error);
  }
  edited.SetField(name, value.view(), arguments.field_protected);
  return SaveEdit(session, shown, edited);
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
