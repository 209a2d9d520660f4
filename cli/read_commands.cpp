#include "cli/read_commands.h"

#include <time.h>

#include <string>

#include "cli/command_output.h"
#include "cli/settings_command.h"
#include "safe/field_reference.h"

namespace {

// UTC in ISO 8601 ("2026-01-31T12:00:00Z"); empty for a time never kept.
std::string UtcTimeText(int64_t seconds) {
  time_t time = static_cast<time_t>(seconds);
  struct tm parts;
  char text[32];
  if (seconds == 0 || gmtime_r(&time, &parts) == nullptr) return "";
  return strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &parts) == 0 ? "" : text;
}

CommandOutput& AppendTags(CommandOutput& output, const Entry& entry) {
  for (size_t i = 0; i < entry.tags.size(); ++i) (output << (i == 0 ? "" : ", ")).Field(entry.tags[i].view(), true);
  return output;
}

bool HasEveryTag(const Entry& entry, const std::vector<std::string>& tags) {
  for (const std::string& tag : tags) {
    if (!entry.HasTag(tag)) return false;
  }
  return true;
}

constexpr char kHidden[] = "(hidden)";

// The fields only a strong safe holds, after the designed three lines.
void AppendStrongFields(CommandOutput& output, const Entry& entry, bool reveal) {
  (output << "Web address: ").Field(entry.url.view(), true) << "\nOne-time-code secret: ";
  if (entry.totp.empty() || reveal) {
    output.Field(entry.totp.view(), true);
  } else {
    output << kHidden;
  }
  AppendTags(output << "\nTags: ", entry);
  for (const CustomField& field : entry.fields) {
    (output << (field.isProtected ? "\nProtected field " : "\nField ")).Field(field.name.view(), true) << ": ";
    if (field.isProtected && !reveal) {
      output << kHidden;
    } else {
      output.Field(field.value.view(), true);
    }
  }
  output << "\nCreated: " << UtcTimeText(entry.created) << "\nModified: " << UtcTimeText(entry.modified)
         << "\nEarlier passwords: " << std::to_string(entry.history.size()) << "\nNotes: ";
  output.Field(entry.notes.view(), true) << "\n";
}

}  // namespace

ExitStatus RunList(CliSession& session) {
  EntryList entries;
  ExitStatus status = session.LoadForReading(entries);
  if (status != kExitOk) return status;
  const CliArguments& arguments = session.arguments();
  CommandOutput output;
  // References are shown as what they stand for, as everywhere.
  const FieldReferences references(entries.entries);
  for (size_t i = 0; i < entries.entries.size(); ++i) {
    const Entry& entry = entries.entries[i];
    if (!HasEveryTag(entry, arguments.tags)) continue;
    (output << std::to_string(i + 1) << "\t").Field(references.Resolve(entry.title.view()).view()) << "\t";
    output.Field(references.Resolve(entry.userName.view()).view());
    if (arguments.long_listing) {
      output << "\t";
      AppendTags(output.Field(references.Resolve(entry.url.view()).view()) << "\t", entry)
          << "\t" << UtcTimeText(entry.modified);
    }
    output << "\n";
  }
  return output.WriteTo(session);
}

ExitStatus RunShow(CliSession& session) {
  EntryList entries;
  ExitStatus status = session.LoadForReading(entries);
  if (status == kExitOk) status = session.CheckIndex(session.arguments().indexes[0], entries.entries.size());
  if (status != kExitOk) return status;
  const Entry entry = WithFieldReferencesResolved(entries.entries[session.arguments().indexes[0] - 1],
                                                  FieldReferences(entries.entries));
  CommandOutput output;
  (output << "Description: ").Field(entry.title.view()) << "\nUsername: ";
  output.Field(entry.userName.view()) << "\nPassword: ";
  output.Field(entry.password.view()) << "\n";
  if (session.SafeFormatOnDisk() == SafeFormat::kStrong) AppendStrongFields(output, entry, session.arguments().reveal);
  return output.WriteTo(session);
}

ExitStatus RunSettings(CliSession& session) {
  int status = RunSettingsCommand(session.app().SettingsKeyName, session.out());
  if (status != kExitOk) return static_cast<ExitStatus>(status);
  std::fprintf(session.out(), "\nSafe folder: %s\n", session.DescribeSafeFolder().c_str());
  return std::fflush(session.out()) == 0 ? kExitOk : kExitFailure;
}
