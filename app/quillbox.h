#pragma once

#include "app/clipboard_keeper.h"
#include "app/lock_policy.h"
#include "app/quillbox_messages.h"
#include "app/quillbox_view.h"
#include "app/safe_session_listener.h"
#include "app/wapp.h"
#include <memory>
#include <string>
#include <vector>

#include "safe/held_safe_key.h"
#include "ui/message_box_view.h"
#include "safe/entry_merge.h"
#include "safe/held_changes.h"
#include "safe/safe_fingerprint.h"
#include "settings/setting_catalogue.h"

// Capacities of the log-in state and entry-field buffers, terminator included
// (the user name's is the settings catalogue's).
inline constexpr int kPasswordCapacity = 260;
inline constexpr int kEntryFieldCapacity = 260;

// The folder of the safes; empty keeps the designed rule (safe/safe_folder.h).
inline constexpr const char* kSafeFolderSetting = kSafeFolderSpec.name;

enum class LogInResult {
  kLoggedIn,
  kRefused,  // a name or password too long to hold
  kMissing,
  kDamaged,
  kWrongPassword,
  kFailed,  // out of memory, or the key derivation failed
};

// The log-in's view of why a safe did not open.
LogInResult ToLogInResult(SafeLoadResult why);

// What a look at the open safe's file found (PickUpDiskChange).
enum class DiskPickUp {
  kUnchanged,
  kReloaded,       // the newer file is the list now
  kRetrySoon,      // missing, half-written or being replaced: look again shortly
  kNoLongerOpens,  // a steady file the password does not open: lock and ask for it
};

// What merging a sync program's conflict copies did (MergeConflictCopies).
struct ConflictMerge {
  size_t entries = 0;                // entries that came in
  size_t copies = 0;                 // copies merged and removed
  std::vector<std::string> refused;  // file names of copies that did not open, left alone
  // File names of copies whose key derivation asks for more work than the
  // safe's own, left alone and not tried again while the program runs.
  std::vector<std::string> tooCostly;
  bool saved = true;  // false: nothing was removed, try again later
};

// The application object: settings store and framework (through WApp), the
// log-in state, the entry list of the open safe, the sort order and the two
// window-behaviour flags. Operations that touch the window system go through
// the QuillboxView set with SetView.
class Quillbox : public WApp {
 public:
  Quillbox();
  ~Quillbox() override;
  Quillbox(const Quillbox&) = delete;
  Quillbox& operator=(const Quillbox&) = delete;

  const char* GetProductName() const override;
  const char* GetVersionText() const override;
  const char* GetVersionKey() const override;
  const char* GetDisplayName() const override;

  // The view stays owned by the caller; null detaches it.
  void SetView(QuillboxView* view);
  // Told of each opening and closing of a safe; owned by the caller, null
  // detaches it.
  void SetSessionListener(SafeSessionListener* listener) { sessionListener_ = listener; }

  // "Last_Username", "Last_Sort" and "Store_On_Taskbar_Only": read at start,
  // written back at exit (the destructor does it when they were read).
  void ReadStartSettings();
  void WriteExitSettings();

  // "Safe_Folder": where the safes live; empty keeps the designed rule
  // (safe/safe_folder.h). Reading it points the safe store there; choosing
  // one stores it and is refused while a safe is open.
  void UseSafeFolderSetting();
  bool ChooseSafeFolder(const char* folder);

  const char* GetUserName() const { return userName_; }
  bool IsLoggedIn() const { return loggedIn_; }
  // Counts openings and closings of a safe: a caller that waited can tell
  // whether the safe it started with is still the open one.
  uint64_t GetSessionNumber() const { return session_; }
  const std::vector<Entry>& GetEntries() const { return entries_.entries; }
  int GetSortOrder() const { return sortOrder_; }
  void SetSortOrder(int order) { sortOrder_ = order; }
  bool GetResideOnTaskbar() const { return resideOnTaskbar_; }
  void SetResideOnTaskbar(bool on) { resideOnTaskbar_ = on; }
  // "Clipboard_Clear_Seconds", "Lock_After_Seconds", "Lock_On_Screen_Lock":
  // read at start with the rest and again when the settings change, never
  // written here.
  void ReadLiveSettings();
  int GetClipboardClearSeconds() const { return clipboardClearSeconds_; }
  int GetLockAfterSeconds() const { return lockAfterSeconds_; }
  bool GetLockOnScreenLock() const { return lockOnScreenLock_; }
  bool GetRunAtStartup() const { return runAtStartup_; }
  void SetRunAtStartup(bool on) { runAtStartup_ = on; }
  // Whether the latest save of the open safe reached the file, and whether
  // it failed because another save held the safe's lock past the wait.
  bool LastSaveSucceeded() const { return lastSaveSucceeded_; }
  bool LastSaveWasBlocked() const { return lastSaveBlocked_; }
  // "<safe path>: <reason>" of the last save that failed.
  std::string LastSaveError() const { return SaveFailureText(); }
  // Changes that are in the list but not yet in the file: the open safe's,
  // and those held over a lock or log-out until their safe is open again.
  bool HasUnsavedChanges() const { return !pending_.empty() || !held_.empty(); }
  // The window's timer: tries the open safe's unsaved changes again. True
  // when none wait any more.
  bool RetryUnsavedChanges();
  // Before a log-out or exit: saves the open safe's unsaved changes, asking
  // "Retry", "Discard" or "Cancel" on owner while they cannot be saved.
  // False when the user cancelled; the safe stays open, changes and all.
  bool SettleUnsavedChanges(OwnerWindow owner);
  // Whether slow work (a key derivation) is running: a lock asked for
  // meanwhile waits until it ends.
  bool IsBusy() const { return busy_ > 0; }
  // Whether the open safe is in the legacy format, which an upgrade replaces.
  bool IsOpenSafeLegacy() const { return loggedIn_ && key_.GetFormat() == SafeFormat::kLegacy; }
  // Argon2id parameters of the safes this object creates or upgrades; tests
  // set small ones.
  void SetNewSafeParams(const StrongSafeParams& params) { newSafeParams_ = params; }

  // Log-in operations. No lock is held while a safe is open: each save takes
  // it for its read-check-write, and a file changed by someone else is
  // merged rather than overwritten.
  bool LogIn(const char* name, const char* password);
  LogInResult TryLogIn(const char* name, const char* password);
  void LogOut();
  // Closes the open safe as LogOut does, but writes it only when the last
  // save did not reach the file: a lock changes nothing on disk. The user
  // name stays for the next log-in. False when no safe was open. A file that
  // no longer opens with the password is never written. Changes that could
  // not be saved (here and at log-out) are held in guarded memory until the
  // same safe is opened again under the same key, and saved then.
  bool Lock();
  // New users get the strong format unless a folder is shared with older copies.
  void CreateUser(OwnerWindow owner, const char* name, const char* password, SafeFormat format = SafeFormat::kStrong);
  // A new password that cannot be saved is told on owner; the safe and the
  // open list keep the old one.
  bool ChangePassword(const char* name, const char* newPassword, OwnerWindow owner = nullptr);
  bool IsValidUserName(OwnerWindow owner, const char* name);
  // Re-saves the open legacy safe in the strong format under a new key from
  // its password. A failure leaves the file and the open safe as they were.
  bool UpgradeSafe();
  // File > "Upgrade Safe Encryption...": asks once, then upgrades.
  void RunUpgradeSafe(OwnerWindow owner);

  // OK of the three log-in dialogs: validation in the designed order, with
  // the designed messages. True when the dialog closes.
  bool SubmitLogIn(OwnerWindow owner, const char* name, const char* password);
  bool SubmitCreateUser(OwnerWindow owner, const char* name, const char* password, const char* confirmation);
  bool SubmitNewPassword(OwnerWindow owner, const char* name, const char* oldPassword, const char* newPassword,
                         const char* confirmation);

  // Entry operations. Add and edit refuse fields that CheckEntryFields
  // rejects; every change is refreshed into the view and saved at once.
  // A change names its entry by the version the caller saw (its id, and in
  // a legacy safe its three fields), never by a place in the list: the list
  // may change under a dialog or a question (a reload, another writer).
  bool AddEntry(const char* description, const char* userName, const char* password);
  bool EditEntry(int index, const char* description, const char* userName, const char* password);
  // The same for whole entries, refused when CheckEntry says no. Added: a new
  // id, created now, stamped now (safe/version_stamp.h). Edited: shown is
  // the version the edit started from; the edit keeps its id, creation time
  // and history, and a changed password goes to that history. When that
  // entry changed or went meanwhile, the edit comes in as a new version (a
  // legacy safe: a new entry) and the status bar says so.
  bool AddEntry(Entry entry);
  bool EditEntry(const Entry& shown, Entry edited);
  // The entry at index now, for callers that hold no index across a wait.
  bool EditEntry(int index, Entry edited);
  // Null when the whole entry can be stored in the open safe, else why not
  // (in a legacy safe anything beyond the three fields is refused).
  const char* CheckEntry(const Entry& entry) const { return CheckWholeEntry(OpenSafeFormat(), entry); }
  void DeleteSelectedEntries(OwnerWindow owner);
  // The entry at index, without asking: for callers that asked already.
  bool DeleteEntry(int index);
  // These versions of entries, without asking; one changed since stays.
  bool DeleteEntries(const std::vector<Entry>& shown);
  // Changes on disk. PickUpDiskChange reloads a file that someone else
  // changed, keeping the selection of entries still there; the window calls
  // it when its watcher sees the file or folder move. MergeConflictCopies
  // folds the sync programs' conflict copies of the open safe into it.
  DiskPickUp PickUpDiskChange();
  // A copy the open safe's key does not open (a strong safe made apart, with
  // a salt of its own) is tried with password when one is given, as at
  // log-in; otherwise it waits.
  ConflictMerge MergeConflictCopies(const char* password = nullptr);

  // The entry at index of the open list; null for none.
  const Entry* GetEntry(int index) const;
  // The entry of that id in the open list; null for none.
  const Entry* FindEntry(const EntryId& id) const;
  // Takes over the checked entries of an import and saves once; one with the
  // id of an entry there updates it (merged by id). When the save fails they
  // are taken out again and updated entries restored, so the list matches
  // the file, and LastSaveError says why.
  bool AppendEntries(std::vector<Entry>& entries);

  // Null when the three fields can be stored in the open safe (a legacy one
  // when none is open), else the message to show: in a legacy safe a tab or
  // line break would break its line structure, and a field over 259 bytes
  // would be dropped when the safe is loaded.
  const char* CheckEntryFields(const char* description, const char* userName, const char* password) const;
  // The format entries are checked and merged for.
  SafeFormat OpenSafeFormat() const { return loggedIn_ ? key_.GetFormat() : SafeFormat::kLegacy; }

 private:
  // The question before a safe is replaced, No by default, then its password:
  // without it anyone at the window (a locked one too) could wipe a safe.
  bool MayReplaceSafe(OwnerWindow owner, const char* name);
  // CheckNewPassword, with its refusal shown on owner.
  bool AcceptNewPassword(OwnerWindow owner, const char* password, const char* confirmation);
  enum class CommitResult { kSaved, kLockBusy, kDoesNotOpen, kSaveFailed };
  // The end of LogOut: the list, the password and the file's state go;
  // unsaved changes are held for the safe's next opening.
  void CloseSafeUnsaved();
  CommitResult WritePending(const HeldSafeKey* newKey);
  // Tells a failed save (and a later success) in the status bar.
  void NoteSaveResult(CommitResult result);
  // The message box for a save the user just asked for that failed: message
  // has "%s" for the safe's path and the reason.
  void ReportSaveFailure(OwnerWindow owner, const char* message = kSaveFailedMessage,
                         const char* caption = kSaveFailedCaption, const char* name = nullptr);
  // "<path>: <reason>" of the last failed save of name's safe (null: the open one).
  std::string SaveFailureText(const char* name = nullptr) const;
  // The reason of a SaveSafe that failed, from errno.
  void TakeSaveErrno();
  void HoldPendingChanges();
  void TakeHeldChanges(const char* name, const HeldSafeKey& key);
  void TakeChangesHeldUnderOldPassword();
  void DropHeldChangesOf(const char* name);
  // Applies the change to the open list at once, then commits it; a failed
  // save is told and the change kept for the next one.
  bool MakeChange(std::unique_ptr<EntryChange> change);
  // The first half: into the list and the unsaved changes.
  bool ApplyChange(std::unique_ptr<EntryChange> change);
  // Under the safe's lock: a file that someone else changed is loaded and
  // every unsaved change applied to it, then the list is saved (under
  // newKey when given: a new password, or the upgrade).
  CommitResult CommitPending(const HeldSafeKey* newKey = nullptr);
  // Loads the user's safe under key and makes it the open one (key is taken).
  bool OpenSafe(const char* name, HeldSafeKey& key, SafeLoadResult* why = nullptr);
  // Key derivations go through the view, which keeps the window alive
  // meanwhile. False when the open safe changed meanwhile (closed, or
  // another one opened): the caller then abandons its work, writing nothing.
  [[nodiscard]] bool RunSlow(const std::function<void()>& work);
  // Loads a conflict copy of the open safe into copy.
  enum class CopyOpening { kOpened, kDoesNotOpen, kTooCostly };
  CopyOpening OpenConflictCopy(const char* name, const char* password, EntryList& copy);
  // A newer list in place of the open one, with the unsaved changes on it.
  void TakeNewerList(EntryList& newer, const SafeFingerprint& fingerprint);
  // The selected entries, and the rows of the same entries after a reload.
  std::vector<Entry> SelectedEntries() const;
  void Reselect(const std::vector<Entry>& selected);
  EntryMatch OpenSafeMatch() const;
  // The stamp of a change made now: past every stamp seen in the open safe.
  int64_t StampNow() const;
  // Where the shown version sits now (by id, else by its three fields), as
  // the hint a change carries; 0 when it is gone.
  uint32_t PlaceOf(const Entry& shown) const;
  // Rollback: the open safe's file as the newest this machine has seen, and
  // at log-in, a file older than that merged with the newest seen.
  void NoteNewestSeen(int64_t fileStamp, bool savedHere);
  void MergeNewestSeen(int64_t fileStamp);
  void ShowStatus(const char* text);
  void RefreshView();
  void SetLoggedInMenu(bool loggedIn);
  int Ask(OwnerWindow owner, const char* text, const char* caption, unsigned style);

  char userName_[kUserNameCapacity] = {};
  // The open safe's key in guarded memory; no password is kept otherwise.
  HeldSafeKey key_;
  StrongSafeParams newSafeParams_ = kDefaultStrongSafeParams;
  int sortOrder_ = 0;
  bool resideOnTaskbar_ = false;
  bool runAtStartup_ = false;
  int clipboardClearSeconds_ = kDefaultClipboardClearSeconds;
  int lockAfterSeconds_ = kDefaultLockAfterSeconds;
  bool lockOnScreenLock_ = true;
  EntryList entries_;
  bool loggedIn_ = false;
  bool settingsRead_ = false;
  bool lastSaveSucceeded_ = true;
  bool lastSaveBlocked_ = false;
  SafeFingerprint known_;                              // the file as last read or written here
  int64_t newestSeen_ = 0;                             // the open safe's largest stamp this machine saw
  std::vector<std::unique_ptr<EntryChange>> pending_;  // applied to the list, not yet saved
  std::vector<HeldChanges> held_;                      // unsaved changes of safes now closed
  std::string saveError_;                              // why the last save failed
  bool failureShown_ = false;                          // the status bar tells of unsaved changes
  uint64_t session_ = 0;                               // counts openings and closings of a safe
  int busy_ = 0;
  int unopenableLooks_ = 0;
  std::vector<std::string> reportedCopies_;
  std::vector<std::string> costlyCopies_;  // paths, for as long as the program runs
  QuillboxView* view_ = nullptr;
  SafeSessionListener* sessionListener_ = nullptr;
};
