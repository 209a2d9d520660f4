#pragma once

#include "safe/entry.h"
#include "safe/strong_format.h"

#include <cstdio>
#include <string>

#include "app/clock.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "cli/cli_arguments.h"
#include "cli/cli_view.h"
#include "cli/exit_status.h"
#include "cli/typed_secret.h"
#include "cli/user_input.h"

inline constexpr char kSafePasswordPrompt[] = "Password: ";

// One run of quillbox-cli: the parsed command line, the application object
// with the terminal's view attached, and the steps every command shares.
// Each step returns kExitOk or the status to end with, its message printed.
class CliSession {
 public:
  CliSession(const CliArguments& arguments, FILE* out, FILE* errors);
  ~CliSession();
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  const CliArguments& arguments() const { return arguments_; }
  const char* user() const { return arguments_.user.c_str(); }
  FILE* out() const { return out_; }
  Quillbox& app() { return app_; }
  CliView& view() { return view_; }
  UserInput& input() { return input_; }
  // The time one-time codes are made for; tests may fix it.
  int64_t UtcNow() const { return utc_now_(); }
  void SetClock(int64_t (*utc_now)()) { utc_now_ = utc_now; }

  // Prints message (one line) and returns status.
  ExitStatus Fail(ExitStatus status, const std::string& message);
  // Prints message (one line) on standard error; the command goes on.
  void Warn(const std::string& message);

  // Points safe lookups at --dir, when given, else at the "Safe_Folder"
  // setting or the default rule.
  ExitStatus UseSafeFolder();
  // The folder in use and why, for people.
  std::string DescribeSafeFolder() const;
  // The user-name rule of the dialogs, and that the name's safe exists.
  ExitStatus CheckUserName();
  ExitStatus CheckSafeExists();
  // Whether another save holds the safe's lock past the short wait.
  ExitStatus CheckNotLocked();
  ExitStatus FailLocked();
  ExitStatus ReadSafePassword(const char* prompt, TypedSecret* password);
  // The longest text a field of the open safe takes: 259 bytes in a legacy
  // safe, 64 KiB in a strong one; an entry's password is read up to it.
  size_t EntryTextLimit() const;
  ExitStatus ReadEntryPassword(TypedSecret* password);
  // The rules of the open safe's format for the whole entry; an entry needs
  // one non-empty field.
  ExitStatus CheckEntry(const Entry& entry);
  // An index as list shows it (from 1) into an entry index.
  ExitStatus CheckIndex(size_t index, size_t entry_count);

  // Loads the user's safe into entries without locking or changing it.
  ExitStatus LoadForReading(EntryList& entries);
  // The format of the user's safe from its header, before any password: the
  // rules its entries' fields are checked by (legacy when it cannot be read).
  SafeFormat SafeFormatOnDisk() const;
  // Whether the safe's header says legacy (false when it cannot be read, so
  // that the log-in tells what is wrong).
  bool SafeOnDiskIsLegacy() const;
  // Opens the user's safe in the application object for a change: the safe
  // must exist and open with the password asked. No lock is held: each save
  // takes it and merges a file changed meanwhile. kept_password, when
  // given, receives the password for a command that needs it again.
  ExitStatus LogInForChange(const char* prompt = kSafePasswordPrompt,
                            const char* wrong_password_message = kLogInFailedMessage,
                            TypedSecret* kept_password = nullptr);
  // The exit status and message of a safe that did not open.
  ExitStatus FailToOpen(LogInResult result, const char* wrong_password_message);
  // Whether every save of this run reached the file.
  ExitStatus CheckSaved();

 private:
  const CliArguments& arguments_;
  FILE* out_;
  FILE* errors_;
  std::string safe_folder_;  // --dir made absolute, ending in '/'
  int64_t (*utc_now_)() = UtcSeconds;
  UserInput input_;
  CliView view_;
  Quillbox app_;
};
