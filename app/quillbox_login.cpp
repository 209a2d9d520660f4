#include <string.h>

#include <cstdio>
#include <cstring>

#include "app/command_ids.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "platform/replace_file.h"
#include "safe/safe_lock.h"
#include "safe/safe_store.h"

namespace {

// Longer texts would be cut when copied into the log-in state, and every
// later save would then go to another file or under another password.
bool FitsLogInState(const char* name, const char* password) {
  return name != nullptr && password != nullptr && std::strlen(name) < kUserNameCapacity &&
         std::strlen(password) < kPasswordCapacity;
}

// A save killed before its rename leaves a whole copy of the safe beside
// it, which may still open under an old password.
void RemoveLeftoverSafeCopies(const char* name) {
  char path[kSafePathCapacity];
  if (BuildSafePath(name, path)) RemoveLeftoverCopiesOf(path);
}

}  // namespace

void Quillbox::SetLoggedInMenu(bool loggedIn) {
  if (view_ == nullptr) return;
  view_->SetMenuItemEnabled(kCmdAddEntry, loggedIn);
  view_->SetMenuItemEnabled(kCmdLogIn, !loggedIn);
  view_->SetMenuItemEnabled(kCmdLogOut, loggedIn);
  view_->SetMenuItemEnabled(kCmdSetPassword, loggedIn);
  view_->SetMenuItemEnabled(kCmdSafeFolder, !loggedIn);
  view_->SetMenuItemEnabled(kCmdLock, loggedIn);
  view_->SetMenuItemEnabled(kCmdImport, loggedIn);
  view_->SetMenuItemEnabled(kCmdExport, loggedIn);
}

bool Quillbox::LogIn(const char* name, const char* password) {
  return TryLogIn(name, password) == LogInResult::kLoggedIn;
}

LogInResult Quillbox::TryLogIn(const char* name, const char* password) {
  if (!FitsLogInState(name, password)) return LogInResult::kRefused;
  RemoveLeftoverSafeCopies(name);
  cpStringArray loaded;
  SafeFingerprint fingerprint;
  if (LoadSafeSnapshotSettled(name, password, loaded, fingerprint) != SafeSnapshotResult::kLoaded) {
    return LogInResult::kRefused;
  }
  // Changes that could not be saved belong to their user's safe only.
  if (pendingUser_ != name) pending_.clear();
  std::snprintf(userName_, sizeof userName_, "%s", name);
  explicit_bzero(password_, sizeof password_);
  std::snprintf(password_, sizeof password_, "%s", password);
  unopenableLooks_ = 0;
  if (pending_.empty()) {
    entries_.Swap(loaded);
    known_ = fingerprint;
    RefreshView();
  } else {
    TakeNewerList(loaded, fingerprint);
  }
  SetLoggedInMenu(true);
  loggedIn_ = true;
  if (!pending_.empty()) CommitPending();
  return LogInResult::kLoggedIn;
}

void Quillbox::LogOut() {
  // Every change was saved when it was made; only one that could not be
  // is tried again, and if it still cannot, at the user's next log-in.
  // Without an open safe there is nothing to save.
  if (loggedIn_ && !pending_.empty()) CommitPending();
  CloseSafeUnsaved();
}

bool Quillbox::Lock() {
  if (!loggedIn_) return false;
  // A log-out writes only what could not be saved when it was made.
  LogOut();
  return true;
}

void Quillbox::CreateUser(OwnerWindow owner, const char* name, const char* password) {
  if (loggedIn_) LogOut();
  if (!FitsLogInState(name, password)) return;
  {
    SafeLock lock;
    if (lock.AcquireWaiting(name) == SafeLock::Result::kHeldElsewhere) {
      Ask(owner, kSafeInUseMessage, kErrorCaption, kMbOk | kMbIconWarning);
      return;
    }
    if (SafeExists(name)) {
      if (Ask(owner, kDeleteUserQuestion, name, kMbYesNo | kMbIconWarning) != kIdYes) return;
      DeleteSafe(name);
    }
    cpStringArray noEntries;
    SaveSafe(name, password, noEntries);
  }
  // Unsaved changes of a replaced safe go with it.
  pending_.clear();
  LogIn(name, password);
}

bool Quillbox::ChangePassword(const char* name, const char* newPassword) {
  if (!FitsLogInState(name, newPassword)) return false;
  if (loggedIn_) {
    // The open entries belong to the current user; never write them into
    // another user's safe.
    if (std::strcmp(name, userName_) != 0) return false;
    // A newer file is merged first, then everything goes under the new
    // password. When that fails the file keeps the old one and the log-in
    // below fails, as designed.
    CommitPending(newPassword);
    explicit_bzero(password_, sizeof password_);
    std::snprintf(password_, sizeof password_, "%s", newPassword);
    LogOut();
  }
  return LogIn(name, newPassword);
}

bool Quillbox::IsValidUserName(OwnerWindow owner, const char* name) {
  for (const char* c = name; *c != '\0'; ++c) {
    bool allowed = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9');
    if (!allowed) {
      Ask(owner, kInvalidUserNameMessage, kInvalidUserNameCaption, kMbOk | kMbIconWarning);
      return false;
    }
  }
  return true;
}
