#include "cli/read_commands.h"

#include <string.h>

#include <initializer_list>
#include <string>

#include "cli/settings_command.h"
#include "core/legacy_text.h"
#include "interchange/entry_fields.h"

namespace {

// Fields are printed as UTF-8, by the rule the window reads them with,
// through one buffer reserved once and wiped: a piece may be a password.
void Print(FILE* out, std::initializer_list<std::string_view> pieces) {
  size_t bound = 0;
  for (std::string_view piece : pieces) bound += 3 * piece.size();
  std::string text;
  text.reserve(bound);
  for (std::string_view piece : pieces) AppendFieldAsUtf8(piece, &text);
  fwrite(text.data(), 1, text.size(), out);
  explicit_bzero(text.data(), text.size());
}

ExitStatus FinishOutput(CliSession& session) {
  if (fflush(session.out()) == 0 && !ferror(session.out())) return kExitOk;
  return session.Fail(kExitFailure, "standard output could not be written");
}

}  // namespace

ExitStatus RunList(CliSession& session) {
  EntryList entries;
  ExitStatus status = session.LoadForReading(entries);
  if (status != kExitOk) return status;
  for (size_t i = 0; i < entries.entries.size(); ++i) {
    EntryFields fields = DesignedFieldsOf(entries.entries[i]);
    Print(session.out(), {std::to_string(i + 1), "\t", fields.description, "\t", fields.account_user, "\n"});
  }
  return FinishOutput(session);
}

ExitStatus RunShow(CliSession& session) {
  EntryList entries;
  ExitStatus status = session.LoadForReading(entries);
  if (status == kExitOk) status = session.CheckIndex(session.arguments().indexes[0], entries.entries.size());
  if (status != kExitOk) return status;
  EntryFields fields = DesignedFieldsOf(entries.entries[session.arguments().indexes[0] - 1]);
  Print(session.out(), {"Description: ", fields.description, "\nUsername: ", fields.account_user,
                        "\nPassword: ", fields.password, "\n"});
  return FinishOutput(session);
}

ExitStatus RunSettings(CliSession& session) {
  int status = RunSettingsCommand(session.app().SettingsKeyName, session.out());
  if (status != kExitOk) return static_cast<ExitStatus>(status);
  std::fprintf(session.out(), "\nSafe folder: %s\n", session.DescribeSafeFolder().c_str());
  return std::fflush(session.out()) == 0 ? kExitOk : kExitFailure;
}
