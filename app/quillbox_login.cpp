#include <errno.h>
#include <string.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/command_ids.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "platform/replace_file.h"
#include "safe/newest_seen.h"
#include "safe/safe_lock.h"
#include "safe/safe_store.h"
#include "safe/version_stamp.h"

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
  view_->SetMenuItemEnabled(kCmdPasswordHealth, loggedIn);
  view_->SetMenuItemEnabled(kCmdCheckBreachList, loggedIn);
  view_->SetMenuItemEnabled(kCmdUpgradeSafe, loggedIn && key_.GetFormat() == SafeFormat::kLegacy);
}

bool Quillbox::LogIn(const char* name, const char* password) {
  return TryLogIn(name, password) == LogInResult::kLoggedIn;
}

LogInResult Quillbox::TryLogIn(const char* name, const char* password) {
  if (!FitsLogInState(name, password)) return LogInResult::kRefused;
  RemoveLeftoverSafeCopies(name);
  HeldSafeKey key;
  bool derived = false;
  bool sameSafe = RunSlow([&] { derived = DeriveKeyForSafe(name, password, key); });
  SafeLoadResult why = SafeLoadResult::kFailed;
  if (!sameSafe) return LogInResult::kFailed;
  if (!derived) {
    why = WhyNoKeyForSafe(name);
  } else if (OpenSafe(name, key, &why)) {
    TakeChangesHeldUnderOldPassword();
    return LogInResult::kLoggedIn;
  }
  // A file that opened but kept changing has no reason to name.
  return why == SafeLoadResult::kLoaded ? LogInResult::kFailed : ToLogInResult(why);
}

bool Quillbox::OpenSafe(const char* name, HeldSafeKey& key, SafeLoadResult* why) {
  EntryList loaded;
  SafeFingerprint fingerprint;
  if (LoadSafeSnapshotSettled(name, key, loaded, fingerprint, why) != SafeSnapshotResult::kLoaded) return false;
  // The safe open until now keeps its unsaved changes for its own next
  // opening; this one gets back those held for it.
  if (loggedIn_) CloseSafeUnsaved();
  TakeHeldChanges(name, key);
  ++session_;
  std::snprintf(userName_, sizeof userName_, "%s", name);
  key_ = std::move(key);
  unopenableLooks_ = 0;
  const int64_t fileStamp = LargestStamp(loaded);
  char path[kSafePathCapacity];
  newestSeen_ = OpenSafeMatch() == EntryMatch::kById && BuildSafePath(name, path) ? NewestSeenStamp(path) : 0;
  if (pending_.empty()) {
    entries_ = std::move(loaded);
    known_ = fingerprint;
    RefreshView();
  } else {
    TakeNewerList(loaded, fingerprint);
  }
  SetLoggedInMenu(true);
  loggedIn_ = true;
  // A file older than the newest this machine saw is not taken whole.
  MergeNewestSeen(fileStamp);
  if (pending_.empty()) {
    NoteNewestSeen(fileStamp, false);
  } else if (CommitPending() != CommitResult::kSaved) {
    ReportSaveFailure(nullptr);
  }
  if (sessionListener_ != nullptr) sessionListener_->SafeOpened(entries_.entries);
  return true;
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

void Quillbox::CreateUser(OwnerWindow owner, const char* name, const char* password, SafeFormat format) {
  if (loggedIn_) LogOut();
  if (!FitsLogInState(name, password)) return;
  HeldSafeKey key;
  {
    SafeLock lock;
    if (lock.AcquireWaiting(name) == SafeLock::Result::kHeldElsewhere) {
      Ask(owner, kSafeInUseMessage, kErrorCaption, kMbOk | kMbIconWarning);
      return;
    }
    bool replacing = SafeExists(name);
    if (replacing && !MayReplaceSafe(owner, name)) return;
    bool derived = false;
    // Nothing is open here, so no other safe can be opened meanwhile.
    (void)RunSlow([&] { derived = DeriveNewSafeKey(password, format, newSafeParams_, key); });
    if (!derived) return;
    EntryList noEntries;
    // The old safe is replaced in one step, so a failed save keeps it.
    errno = 0;
    if (!SaveSafe(name, key, noEntries)) {
      TakeSaveErrno();
      ReportSaveFailure(owner, kNewUserNotSavedMessage, kErrorCaption, name);
      return;
    }
  }
  // Unsaved changes of a replaced safe go with it, as does what was seen of it.
  DropHeldChangesOf(name);
  char path[kSafePathCapacity];
  if (BuildSafePath(name, path)) ForgetNewestSeen(path);
  // Opened under the key just made: no second key derivation.
  RemoveLeftoverSafeCopies(name);
  OpenSafe(name, key);
}

bool Quillbox::ChangePassword(const char* name, const char* newPassword, OwnerWindow owner) {
  if (!FitsLogInState(name, newPassword)) return false;
  if (loggedIn_) {
    // The open entries belong to the current user; never write them into
    // another user's safe.
    if (std::strcmp(name, userName_) != 0) return false;
    // A new salt for the new password; a strong safe keeps its parameters.
    SafeFormat format = key_.GetFormat();
    StrongSafeParams params = format == SafeFormat::kStrong ? key_.GetParams() : newSafeParams_;
    HeldSafeKey newKey;
    bool derived = false;
    // A lock or another log-in meanwhile: nothing is re-keyed.
    if (!RunSlow([&] { derived = DeriveNewSafeKey(newPassword, format, params, newKey); })) return false;
    HeldSafeKey reopen;
    if (!derived || !reopen.CopyFrom(newKey)) return false;
    // A newer file is merged first, then everything goes under the new
    // password. When that fails the file and the open safe keep the old one.
    if (CommitPending(&newKey) != CommitResult::kSaved) {
      ReportSaveFailure(owner, kNewPasswordNotSavedMessage, kErrorCaption);
      return false;
    }
    key_ = std::move(newKey);
    LogOut();
    return OpenSafe(name, reopen);
  }
  return LogIn(name, newPassword);
}

bool Quillbox::UpgradeSafe() {
  if (!IsOpenSafeLegacy()) return false;
  // The work runs while the window handles events: it gets copies.
  HeldSafeKey legacy;
  if (!legacy.CopyFrom(key_)) return false;
  HeldSafeKey strong;
  bool derived = false;
  StrongSafeParams params = newSafeParams_;
  bool sameSafe =
      RunSlow([&] { derived = DeriveNewSafeKey(legacy.GetLegacyPassword(), SafeFormat::kStrong, params, strong); });
  // The safe might have been closed, or another opened, meanwhile.
  if (!sameSafe || !derived || !IsOpenSafeLegacy() || CommitPending(&strong) != CommitResult::kSaved) return false;
  key_ = std::move(strong);
  SetLoggedInMenu(true);
  return true;
}

void Quillbox::RunUpgradeSafe(OwnerWindow owner) {
  if (!IsOpenSafeLegacy()) return;
  if (Ask(owner, kUpgradeSafeQuestion, kUpgradeSafeCaption, kMbYesNo | kMbIconQuestion) != kIdYes) return;
  if (UpgradeSafe()) return;
  std::string text = kUpgradeSafeFailedMessage;
  if (!saveError_.empty()) text += "\r\n\r\n" + SaveFailureText();
  Ask(owner, text.c_str(), kErrorCaption, kMbOk | kMbIconWarning);
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
