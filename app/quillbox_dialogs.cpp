#include "app/new_password.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/safe_store.h"

namespace {

constexpr unsigned kWarning = kMbOk | kMbIconWarning;

}  // namespace

bool Quillbox::SubmitLogIn(OwnerWindow owner, const char* name, const char* password) {
  if (!IsValidUserName(owner, name)) return false;
  if (!SafeExists(name)) {
    Ask(owner, kUserNotFoundMessage, kErrorCaption, kWarning);
    return false;
  }
  LogInResult result = TryLogIn(name, password);
  if (result != LogInResult::kLoggedIn) {
    Ask(owner, result == LogInResult::kDamaged ? kDamagedSafeMessage : kLogInFailedMessage, kErrorCaption, kWarning);
    return false;
  }
  // Versions that a sync program kept apart come together at log-in.
  MergeConflictCopies(password);
  return true;
}

bool Quillbox::AcceptNewPassword(OwnerWindow owner, const char* password, const char* confirmation) {
  const char* refusal = CheckNewPassword(password, confirmation);
  if (refusal != nullptr) Ask(owner, refusal, kErrorCaption, kWarning);
  return refusal == nullptr;
}

bool Quillbox::SubmitCreateUser(OwnerWindow owner, const char* name, const char* password, const char* confirmation) {
  if (!AcceptNewPassword(owner, password, confirmation)) return false;
  // The dialog closes from here on, also after a refused name or a No.
  if (IsValidUserName(owner, name)) CreateUser(owner, name, password);
  return true;
}

bool Quillbox::MayReplaceSafe(OwnerWindow owner, const char* name) {
  if (Ask(owner, kDeleteUserQuestion, name, kMbYesNo | kMbIconWarning | kMbDefButton2) != kIdYes) return false;
  if (view_ == nullptr) return true;
  const auto opens = [this, name](const char* password) {
    EntryList unused;
    bool opened = false;
    return RunSlow([&] { opened = LoadSafe(name, password, unused, true); }) && opened;
  };
  switch (view_->AskSafePassword(owner, name, kReplaceSafePasswordPrompt, kReplaceSafeRefusedMessage, opens)) {
    case QuillboxView::SafePasswordAnswer::kOpened:
    case QuillboxView::SafePasswordAnswer::kNotAsked:
      return true;
    case QuillboxView::SafePasswordAnswer::kRefused:
      break;
  }
  return false;
}

bool Quillbox::SubmitNewPassword(OwnerWindow owner, const char* name, const char* oldPassword, const char* newPassword,
                                 const char* confirmation) {
  if (!LogIn(name, oldPassword)) {
    Ask(owner, kOldPasswordIncorrectMessage, kErrorCaption, kWarning);
    return false;
  }
  if (!AcceptNewPassword(owner, newPassword, confirmation)) return false;
  if (IsValidUserName(owner, name)) ChangePassword(name, newPassword, owner);
  return true;
}
