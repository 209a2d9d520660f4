#include <string.h>

#include <cstdio>
#include <cstring>

#include "app/command_ids.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "platform/replace_file.h"
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
}

bool Quillbox::LogIn(const char* name, const char* password) {
  return TryLogIn(name, password) == LogInResult::kLoggedIn;
}

LogInResult Quillbox::TryLogIn(const char* name, const char* password) {
  if (!FitsLogInState(name, password)) return LogInResult::kRefused;
  // A safe this object already has open keeps its lock; any other is taken
  // first, so a safe being changed elsewhere is never loaded for changing.
  SafeLock candidate;
  if (!lock_.IsHeldFor(name) && candidate.Acquire(name) == SafeLock::Result::kHeldElsewhere) {
    return LogInResult::kSafeInUse;
  }
  RemoveLeftoverSafeCopies(name);
  if (!LoadSafe(name, password, entries_, false, [this] { RefreshView(); })) {
    return LogInResult::kRefused;
  }
  if (!lock_.IsHeldFor(name)) lock_ = std::move(candidate);
  std::snprintf(userName_, sizeof userName_, "%s", name);
  explicit_bzero(password_, sizeof password_);
  std::snprintf(password_, sizeof password_, "%s", password);
  SetLoggedInMenu(true);
  loggedIn_ = true;
  return LogInResult::kLoggedIn;
}

void Quillbox::LogOut() {
  SetLoggedInMenu(false);
  // Without an open safe there is nothing to save, and saving the empty list
  // would overwrite the last user's safe.
  if (loggedIn_) SaveOpenSafe();
  entries_.RemoveAll();
  RefreshView();
  explicit_bzero(password_, sizeof password_);
  loggedIn_ = false;
  lock_.Release();
}

void Quillbox::CreateUser(OwnerWindow owner, const char* name, const char* password) {
  if (loggedIn_) LogOut();
  if (!FitsLogInState(name, password)) return;
  SafeLock candidate;
  if (candidate.Acquire(name) == SafeLock::Result::kHeldElsewhere) {
    Ask(owner, kSafeInUseMessage, kErrorCaption, kMbOk | kMbIconWarning);
    return;
  }
  if (SafeExists(name)) {
    if (Ask(owner, kDeleteUserQuestion, name, kMbYesNo | kMbIconWarning) != kIdYes) return;
    DeleteSafe(name);
  }
  cpStringArray noEntries;
  SaveSafe(name, password, noEntries);
  lock_ = std::move(candidate);
  if (!LogIn(name, password)) lock_.Release();
}

bool Quillbox::ChangePassword(const char* name, const char* newPassword) {
  if (!FitsLogInState(name, newPassword)) return false;
  if (loggedIn_) {
    // The open entries belong to the current user; never write them into
    // another user's safe.
    if (std::strcmp(name, userName_) != 0) return false;
    lastSaveSucceeded_ = SaveSafe(name, newPassword, entries_);
    explicit_bzero(password_, sizeof password_);
    std::snprintf(password_, sizeof password_, "%s", newPassword);
    // Keep the lock across the log-out and log-in, so no one slips in between.
    SafeLock kept = std::move(lock_);
    LogOut();
    lock_ = std::move(kept);
  }
  if (LogIn(name, newPassword)) return true;
  lock_.Release();
  return false;
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
