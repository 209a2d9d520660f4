#include "cli/cli_main.h"

#include <cstdio>
#include <string>

#include "cli/change_commands.h"
#include "cli/cli_session.h"
#include "cli/clip_command.h"
#include "cli/export_command.h"
#include "cli/generate_command.h"
#include "cli/import_command.h"
#include "cli/merge_command.h"
#include "cli/read_commands.h"
#include "cli/settings_command.h"
#include "cli/user_commands.h"

namespace {

constexpr char kUsage[] = R"(usage: quillbox-cli [--dir DIR] [--password-stdin] COMMAND ...

Commands (INDEX counts from 1, as list shows it):
  create USER [--force] [--legacy]
                              make a new, empty safe; --force replaces an existing
                              one, --legacy uses the format older copies can open
  list USER                   index, description and account user name of each entry
  show USER INDEX             one entry, its password included
  clip USER INDEX [--user-name]
                              put the entry's password (or user name) on the
                              clipboard (X11, or wl-copy on Wayland) and clear
                              it after Clipboard_Clear_Seconds if still there
  add USER DESCRIPTION ACCOUNT_USER
                              add an entry; its password is asked for
  edit USER INDEX [--description D] [--user U] [--password]
                              change an entry; --password asks for the new one
  rm USER INDEX... [--yes]    delete entries; --yes confirms without asking
  passwd USER                 change the safe's password
  upgrade USER                re-encrypt a legacy safe in the strong format (older
                              copies of Quillbox cannot open the result)
  info USER                   the safe's format and its parameters (no password)
  export [--format NAME] [--force] USER [FILE]
                              write the entries in a format other programs
                              import (default quillbox-csv) to a new 0600 FILE,
                              or standard output; --force replaces FILE
  import [--format NAME] [--skip-invalid] [--dry-run] USER FILE
                              add the entries of an export ("-": standard
                              input), its format recognised unless --format
                              names it; --skip-invalid imports the entries
                              that can be stored, --dry-run only tells what
                              would be imported
  settings                    show the settings the application uses and the safe folder
  merge USER                  fold sync programs' conflict copies of the safe into it
  generate [--length N] [--no-symbols] [--no-lookalikes] [--count K]
                              print K new passwords (default 1) of N characters
                              (8 to 128, default 20); --no-lookalikes leaves out
                              0 O o I l 1 |

Options:
  --dir DIR          use the safes in DIR instead of the usual safe folder
  --password-stdin   read passwords from standard input, one per line, in the
                     order they would be asked: the safe's password first, then
                     (add, edit --password) the entry's, or (passwd, create)
                     the new one, which is not asked twice as on a terminal
  --yes, -y          answer Yes to a confirmation; without it a question is
                     asked only when standard input is a terminal, else the
                     answer is No and nothing is changed
  --help, -h         show this text

Formats: quillbox-csv, keepassxc-csv, keepass-xml, bitwarden-csv and
bitwarden-json are read and written; chrome-csv and firefox-csv are read.

Passwords are otherwise asked on the terminal without echo. User names use
only a-z, A-Z and 0-9 (at most 29); fields hold at most 259 bytes of UTF-8 and
no tab, CR or LF. A safe open in the desktop application can be changed here
too: each save merges what changed on disk since the safe was read.

Exit status: 0 done, 1 other failure (nothing changed), 2 bad arguments or
input, 3 missing safe, 4 wrong password, 5 damaged safe, 6 another save held
the safe's lock past a short wait.
)";

ExitStatus RunSettings(CliSession& session) {
  int status = RunSettingsCommand(session.app().SettingsKeyName, session.out());
  if (status != kExitOk) return static_cast<ExitStatus>(status);
  std::fprintf(session.out(), "\nSafe folder: %s\n", session.DescribeSafeFolder().c_str());
  return std::fflush(session.out()) == 0 ? kExitOk : kExitFailure;
}

using CommandFunction = ExitStatus (*)(CliSession&);

struct CommandEntry {
  CliCommand command;
  CommandFunction run;
};

constexpr CommandEntry kCommandTable[] = {
    {CliCommand::kCreate, RunCreate},     {CliCommand::kList, RunList},       {CliCommand::kShow, RunShow},
    {CliCommand::kAdd, RunAdd},           {CliCommand::kEdit, RunEdit},       {CliCommand::kRemove, RunRemove},
    {CliCommand::kPasswd, RunPasswd},     {CliCommand::kExport, RunExport},   {CliCommand::kImport, RunImport},
    {CliCommand::kSettings, RunSettings}, {CliCommand::kMerge, RunMerge},     {CliCommand::kGenerate, RunGenerate},
    {CliCommand::kClip, RunClip},         {CliCommand::kUpgrade, RunUpgrade}, {CliCommand::kInfo, RunInfo},
};

}  // namespace

int RunCli(int argc, const char* const* argv, FILE* out, FILE* errors, const StrongSafeParams& newSafeParams) {
  CliArguments arguments;
  std::string error;
  if (!ParseCliArguments(argc, argv, &arguments, &error)) {
    PrintCliMessage(errors, (error + " (--help shows how to use quillbox-cli)").c_str());
    return kExitBadArguments;
  }
  if (arguments.command == CliCommand::kHelp) {
    fputs(kUsage, out);
    return kExitOk;
  }
  CliSession session(arguments, out, errors);
  session.app().SetNewSafeParams(newSafeParams);
  ExitStatus status = session.UseSafeFolder();
  if (status != kExitOk) return status;
  for (const CommandEntry& entry : kCommandTable) {
    if (entry.command == arguments.command) return entry.run(session);
  }
  return kExitBadArguments;
}
