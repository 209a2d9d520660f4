#include "cli/entry_options.h"

#include "safe/entry_field_rules.h"
#include "safe/one_time_code.h"

namespace {

bool NamesStrongOnlyFields(const CliArguments& arguments) {
  return arguments.command == "field" || arguments.edit_url || !arguments.tags.empty() || !arguments.untags.empty() ||
         arguments.read_notes || arguments.read_totp;
}

ExitStatus ReadOneTimeCode(CliSession& session, Entry& entry) {
  TypedSecret line(kMaxEntryTextBytes);
  std::string error;
  if (!session.input().ReadStdinLine("One-time-code secret: ", "the one-time-code secret", &line,
                                     kEntryTextTooLongMessage, &error)) {
    return session.Fail(kExitBadArguments, error);
  }
  SecretText uri;
  if (const char* problem = NormalizeOneTimeCodeInput(line.view(), uri))
    return session.Fail(kExitBadArguments, problem);
  entry.totp = std::move(uri);
  return kExitOk;
}

ExitStatus ReadNotes(CliSession& session, Entry& entry) {
  TypedSecret notes(kMaxEntryNotesBytes);
  std::string error;
  if (!session.input().ReadStdinRest("Notes: ", "the notes", false, &notes, kEntryNotesTooLongMessage, &error)) {
    return session.Fail(kExitBadArguments, error);
  }
  entry.notes = notes.view();
  return kExitOk;
}

}  // namespace

ExitStatus RefuseStrongOnlyOptionsOnLegacySafe(CliSession& session) {
  if (!NamesStrongOnlyFields(session.arguments()) || !session.SafeOnDiskIsLegacy()) return kExitOk;
  return session.Fail(kExitBadArguments, kNeedsStrongFormatMessage);
}

ExitStatus ApplyEntryOptions(CliSession& session, Entry& entry) {
  const CliArguments& arguments = session.arguments();
  if (arguments.edit_url) entry.url = arguments.url;
  for (const std::string& tag : arguments.untags) {
    if (!entry.HasTag(tag)) return session.Fail(kExitBadArguments, "the entry has no tag " + tag);
    entry.RemoveTag(tag);
  }
  for (const std::string& tag : arguments.tags) entry.AddTag(tag);
  ExitStatus status = kExitOk;
  if (arguments.read_totp) status = ReadOneTimeCode(session, entry);
  if (status == kExitOk && arguments.read_notes) status = ReadNotes(session, entry);
  return status;
}
