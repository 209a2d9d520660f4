#pragma once

#include "app/quillbox_view.h"
#include "app/wapp.h"
#include "core/cpstringarray.h"
#include "platform/message_box_view.h"
#include "safe/safe_lock.h"

// Capacities of the log-in state and entry-field buffers, terminator included.
inline constexpr int kUserNameCapacity = 30;
inline constexpr int kPasswordCapacity = 260;
inline constexpr int kEntryFieldCapacity = 260;

enum class LogInResult {
  kLoggedIn,
  kSafeInUse,  // another process holds the safe's lock
  kRefused,    // missing or damaged safe, or wrong password
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

  // "Last_Username", "Last_Sort" and "Store_On_Taskbar_Only": read at start,
  // written back at exit (the destructor does it when they were read).
  void ReadStartSettings();
  void WriteExitSettings();

  const char* GetUserName() const { return userName_; }
  bool IsLoggedIn() const { return loggedIn_; }
  const cpStringArray& GetEntries() const { return entries_; }
  int GetSortOrder() const { return sortOrder_; }
  void SetSortOrder(int order) { sortOrder_ = order; }
  bool GetResideOnTaskbar() const { return resideOnTaskbar_; }
  void SetResideOnTaskbar(bool on) { resideOnTaskbar_ = on; }
  bool GetRunAtStartup() const { return runAtStartup_; }
  void SetRunAtStartup(bool on) { runAtStartup_ = on; }
  // Whether the latest save of the open safe reached the file.
  bool LastSaveSucceeded() const { return lastSaveSucceeded_; }

  // Log-in operations. While a safe is open its lock is held, so another
  // process cannot change it underneath.
  bool LogIn(const char* name, const char* password);
  LogInResult TryLogIn(const char* name, const char* password);
  void LogOut();
  void CreateUser(OwnerWindow owner, const char* name, const char* password);
  bool ChangePassword(const char* name, const char* newPassword);
  bool IsValidUserName(OwnerWindow owner, const char* name);

  // OK of the three log-in dialogs: validation in the designed order, with
  // the designed messages. True when the dialog closes.
  bool SubmitLogIn(OwnerWindow owner, const char* name, const char* password);
  bool SubmitCreateUser(OwnerWindow owner, const char* name, const char* password,
                        const char* confirmation);
  bool SubmitNewPassword(OwnerWindow owner, const char* name, const char* oldPassword,
                         const char* newPassword, const char* confirmation);

  // Entry operations. Add and edit refuse fields that CheckEntryFields
  // rejects; every change is refreshed into the view and saved at once.
  bool AddEntry(const char* description, const char* userName, const char* password);
  bool EditEntry(int index, const char* description, const char* userName, const char* password);
  void DeleteSelectedEntries(OwnerWindow owner);
  // Each buffer holds kEntryFieldCapacity bytes.
  bool GetEntryFields(int index, char* description, char* userName, char* password) const;

  // Null when the three fields can be stored, else the message to show:
  // a tab or line break would break the safe's line structure, and a field
  // over 259 bytes would be dropped when the safe is loaded.
  static const char* CheckEntryFields(const char* description, const char* userName,
                                      const char* password);

 private:
  // CheckNewPassword, with its refusal shown on owner.
  bool AcceptNewPassword(OwnerWindow owner, const char* password, const char* confirmation);
  bool SaveOpenSafe();
  void RefreshView();
  void SetLoggedInMenu(bool loggedIn);
  int Ask(OwnerWindow owner, const char* text, const char* caption, unsigned style);

  char userName_[kUserNameCapacity] = {};
  char password_[kPasswordCapacity] = {};
  int sortOrder_ = 0;
  bool resideOnTaskbar_ = false;
  bool runAtStartup_ = false;
  cpStringArray entries_;
  bool loggedIn_ = false;
  bool settingsRead_ = false;
  bool lastSaveSucceeded_ = true;
  SafeLock lock_;
  QuillboxView* view_ = nullptr;
};
