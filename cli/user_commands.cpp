#include "cli/user_commands.h"

#include <cstdio>

#include "app/quillbox_messages.h"
#include "safe/safe_store.h"

namespace {

constexpr char kOldPasswordPrompt[] = "Old Password: ";
constexpr char kNewPasswordPrompt[] = "New Password: ";

ExitStatus ReadNewPassword(CliSession& session, const char* prompt, TypedSecret* password) {
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
  TypedSecret password;
  if (status == kExitOk) status = ReadNewPassword(session, kSafePasswordPrompt, &password);
  if (status != kExitOk) return status;
  SafeFormat format = session.arguments().legacy ? SafeFormat::kLegacy : SafeFormat::kStrong;
  session.app().CreateUser(nullptr, session.user(), password.c_str(), format);
  if (!session.app().IsLoggedIn()) return session.Fail(kExitFailure, "the safe could not be created");
  return kExitOk;
}

ExitStatus RunPasswd(CliSession& session) {
  ExitStatus status = session.LogInForChange(kOldPasswordPrompt, kOldPasswordIncorrectMessage);
  TypedSecret new_password;
  if (status == kExitOk) status = ReadNewPassword(session, kNewPasswordPrompt, &new_password);
  if (status != kExitOk) return status;
  if (!session.app().ChangePassword(session.user(), new_password.c_str()) || !session.app().LastSaveSucceeded()) {
    if (session.app().LastSaveWasBlocked()) return session.FailLocked();
    return session.Fail(kExitFailure, "The new password could not be saved; the safe keeps the old one");
  }
  return kExitOk;
}

ExitStatus RunUpgrade(CliSession& session) {
  ExitStatus status = session.LogInForChange();
  if (status != kExitOk) return status;
  if (!session.app().IsOpenSafeLegacy()) {
    std::fprintf(session.out(), "The safe of %s already uses the strong format.\n", session.user());
    return kExitOk;
  }
  if (!session.app().UpgradeSafe()) return session.Fail(kExitFailure, kUpgradeSafeFailedMessage);
  return kExitOk;
}

ExitStatus RunInfo(CliSession& session) {
  ExitStatus status = session.CheckUserName();
  if (status == kExitOk) status = session.CheckSafeExists();
  if (status != kExitOk) return status;
  SafeInfo info;
  if (!GetSafeInfo(session.user(), info)) return session.Fail(kExitDamagedSafe, kDamagedSafeMessage);
  if (info.format == SafeFormat::kLegacy) {
    std::fputs("Format: legacy (AES-128, unsalted key, CRC-32; quillbox-cli upgrade makes it strong)\n", session.out());
  } else {
    std::fprintf(session.out(),
                 "Format: strong (Argon2id, XChaCha20-Poly1305)\n"
                 "Argon2id iterations: %u\n"
                 "Argon2id memory: %u KiB\n",
                 info.params.iterations, info.params.memoryKiB);
  }
  return kExitOk;
}
