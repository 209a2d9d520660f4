#include "cli/user_commands.h"

#include "app/quillbox_messages.h"
#include "safe/safe_store.h"

namespace {

constexpr char kOldPasswordPrompt[] = "Old Password: ";
constexpr char kNewPasswordPrompt[] = "New Password: ";

ExitStatus ReadNewPassword(CliSession& session, const char* prompt, SecretText* password) {
  std::string error;
  if (session.input().ReadNewPassword(prompt, password, &error)) return kExitOk;
  return session.Fail(kExitBadArguments, error);
}

}  // namespace

ExitStatus RunCreate(CliSession& session) {
  ExitStatus status = session.CheckUserName();
  if (status != kExitOk) return status;
  bool replacing = SafeExists(session.user());
  if (replacing && !session.arguments().force) {
    return session.Fail(kExitFailure, "a safe for " + session.arguments().user +
                                          " already exists; --force replaces it with an empty one");
  }
  if (replacing) status = session.CheckNotLocked();
  SecretText password;
  if (status == kExitOk) status = ReadNewPassword(session, kSafePasswordPrompt, &password);
  if (status != kExitOk) return status;
  session.app().CreateUser(nullptr, session.user(), password.c_str());
  if (!session.app().IsLoggedIn()) return session.Fail(kExitFailure, "the safe could not be created");
  return kExitOk;
}

ExitStatus RunPasswd(CliSession& session) {
  ExitStatus status = session.LogInForChange(kOldPasswordPrompt, kOldPasswordIncorrectMessage);
  SecretText new_password;
  if (status == kExitOk) status = ReadNewPassword(session, kNewPasswordPrompt, &new_password);
  if (status != kExitOk) return status;
  if (!session.app().ChangePassword(session.user(), new_password.c_str()) || !session.app().LastSaveSucceeded()) {
    if (session.app().LastSaveWasBlocked()) return session.FailLocked();
    return session.Fail(kExitFailure, "The new password could not be saved; the safe keeps the old one");
  }
  return kExitOk;
}
