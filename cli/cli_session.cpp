#include "cli/cli_session.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "app/quillbox_messages.h"
#include "cli/settings_command.h"
#include "safe/safe_folder.h"
#include "safe/safe_lock.h"
#include "safe/safe_store.h"

namespace {

constexpr char kEntryPasswordPrompt[] = "Password for account: ";
constexpr char kUserNameTooLongMessage[] = "User names cannot be longer than 29 characters.";

// The status and message of a safe that did not open.
ExitStatus StatusFor(LogInResult result) {
  switch (result) {
    case LogInResult::kMissing:
      return kExitMissingSafe;
    case LogInResult::kDamaged:
      return kExitDamagedSafe;
    case LogInResult::kWrongPassword:
    case LogInResult::kRefused:
      return kExitWrongPassword;
    case LogInResult::kLoggedIn:
      return kExitOk;
    case LogInResult::kFailed:
      break;
  }
  return kExitFailure;
}

const char* MessageFor(LogInResult result, const char* wrong_password_message) {
  switch (StatusFor(result)) {
    case kExitMissingSafe:
      return kUserNotFoundMessage;
    case kExitDamagedSafe:
      return kDamagedSafeMessage;
    case kExitWrongPassword:
      return wrong_password_message;
    default:
      return "User could not be logged on.\r\nThe safe could not be read: out of memory";
  }
}

}  // namespace

CliSession::CliSession(const CliArguments& arguments, FILE* out, FILE* errors)
    : arguments_(arguments),
      out_(out),
      errors_(errors),
      input_(arguments.password_stdin),
      // --force is the answer to "replace this safe?"
      view_(&input_, arguments.yes || arguments.force, errors) {
  app_.SetView(&view_);
}

CliSession::~CliSession() {
  app_.SetView(nullptr);
  SetSafeFolder("");
}

ExitStatus CliSession::Fail(ExitStatus status, const std::string& message) {
  PrintCliMessage(errors_, message.c_str());
  return status;
}

void CliSession::Warn(const std::string& message) { PrintCliMessage(errors_, message.c_str()); }

ExitStatus CliSession::UseSafeFolder() {
  // The settings key path, for the "Safe_Folder" setting and the settings command.
  app_.SetInstance(nullptr);
  if (arguments_.dir.empty()) {
    SetSafeFolder(PeekSettingText(app_.SettingsKeyName, kSafeFolderSpec));
    return kExitOk;
  }
  char folder[PATH_MAX];
  struct stat info;
  if (realpath(arguments_.dir.c_str(), folder) == nullptr || stat(folder, &info) != 0 || !S_ISDIR(info.st_mode)) {
    return Fail(kExitBadArguments, "no such folder: " + arguments_.dir);
  }
  SetSafeFolder(folder);
  safe_folder_ = GetSafeFolder().path;
  return kExitOk;
}

std::string CliSession::DescribeSafeFolder() const {
  SafeFolder folder = GetSafeFolder();
  const char* why = DescribeSafeFolderReason(folder.reason);
  if (folder.reason == SafeFolderReason::kChosen) {
    why = safe_folder_.empty() ? "the Safe_Folder setting" : "--dir";
  }
  return (folder.path.empty() ? std::string("(none can be named)") : folder.path) + " (" + why + ")";
}

ExitStatus CliSession::CheckUserName() {
  if (arguments_.user.size() >= kUserNameCapacity) return Fail(kExitBadArguments, kUserNameTooLongMessage);
  if (!app_.IsValidUserName(nullptr, user())) return kExitBadArguments;
  // The store falls back to "/" when a path gets too long; a command line
  // naming a folder means that folder.
  char path[kSafePathCapacity];
  if (!BuildSafePath(user(), path)) return Fail(kExitBadArguments, "the safe's path cannot be built");
  if (!safe_folder_.empty() && path != safe_folder_ + arguments_.user + ".SAFE") {
    return Fail(kExitBadArguments, "the folder's path is too long for a safe: " + arguments_.dir);
  }
  return kExitOk;
}

ExitStatus CliSession::CheckSafeExists() {
  return SafeExists(user()) ? kExitOk : Fail(kExitMissingSafe, kUserNotFoundMessage);
}

ExitStatus CliSession::CheckNotLocked() {
  SafeLock probe;
  return probe.AcquireWaiting(user()) == SafeLock::Result::kHeldElsewhere ? FailLocked() : kExitOk;
}

ExitStatus CliSession::FailLocked() { return Fail(kExitLockedSafe, kSafeInUseMessage); }

ExitStatus CliSession::ReadSafePassword(const char* prompt, TypedSecret* password) {
  std::string error;
  return input_.ReadPassword(prompt, password, &error) ? kExitOk : Fail(kExitBadArguments, error);
}

size_t CliSession::EntryTextLimit() const {
  return app_.OpenSafeFormat() == SafeFormat::kStrong ? kMaxEntryTextBytes : TypedSecret::kMaxLength;
}

ExitStatus CliSession::ReadEntryPassword(TypedSecret* password) {
  std::string error;
  const char* too_long = app_.OpenSafeFormat() == SafeFormat::kStrong ? kEntryTextTooLongMessage : nullptr;
  if (input_.ReadPassword(kEntryPasswordPrompt, password, &error, too_long)) return kExitOk;
  return Fail(kExitBadArguments, error);
}

ExitStatus CliSession::CheckEntry(const Entry& entry) {
  if (const char* problem = app_.CheckEntry(entry)) return Fail(kExitBadArguments, problem);
  bool blank = entry.title.empty() && entry.userName.empty() && entry.password.empty() && entry.url.empty() &&
               entry.notes.empty() && entry.totp.empty() && entry.tags.empty() && entry.fields.empty();
  return blank ? Fail(kExitBadArguments, kBlankEntryMessage) : kExitOk;
}

ExitStatus CliSession::CheckIndex(size_t index, size_t entry_count) {
  if (index >= 1 && index <= entry_count) return kExitOk;
  return Fail(kExitBadArguments, "there is no entry " + std::to_string(index) + "; the safe holds " +
                                     std::to_string(entry_count) + (entry_count == 1 ? " entry" : " entries"));
}

SafeFormat CliSession::SafeFormatOnDisk() const {
  SafeInfo info;
  return GetSafeInfo(user(), info) ? info.format : SafeFormat::kLegacy;
}

bool CliSession::SafeOnDiskIsLegacy() const {
  SafeInfo info;
  return GetSafeInfo(user(), info) && info.format == SafeFormat::kLegacy;
}

ExitStatus CliSession::LoadForReading(EntryList& entries) {
  ExitStatus status = CheckUserName();
  if (status == kExitOk) status = CheckSafeExists();
  if (status != kExitOk) return status;
  TypedSecret password;
  status = ReadSafePassword(kSafePasswordPrompt, &password);
  if (status != kExitOk) return status;
  LogInResult result = ToLogInResult(LoadSafeWithResult(user(), password.c_str(), entries));
  return result == LogInResult::kLoggedIn ? kExitOk : FailToOpen(result, kLogInFailedMessage);
}

ExitStatus CliSession::LogInForChange(const char* prompt, const char* wrong_password_message,
                                      TypedSecret* kept_password) {
  ExitStatus status = CheckUserName();
  if (status == kExitOk) status = CheckSafeExists();
  if (status != kExitOk) return status;
  TypedSecret own_password;
  TypedSecret& password = kept_password != nullptr ? *kept_password : own_password;
  status = ReadSafePassword(prompt, &password);
  if (status != kExitOk) return status;
  LogInResult result = app_.TryLogIn(user(), password.c_str());
  return result == LogInResult::kLoggedIn ? kExitOk : FailToOpen(result, wrong_password_message);
}

ExitStatus CliSession::FailToOpen(LogInResult result, const char* wrong_password_message) {
  return Fail(StatusFor(result), MessageFor(result, wrong_password_message));
}

ExitStatus CliSession::CheckSaved() {
  if (app_.LastSaveSucceeded()) return kExitOk;
  if (app_.LastSaveWasBlocked()) return FailLocked();
  return Fail(kExitFailure, "The safe could not be saved; the file keeps its previous contents");
}
