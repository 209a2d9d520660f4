#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/secret_text.h"
#include "ui/message_box_view.h"

// The key of a file another program protects (a KeePass database, a
// password-protected export), as AskFileKey asks for it.
struct FileKeyRequest {
  std::string file_name;        // shown in the dialog
  bool takes_key_file = false;  // an optional key file is offered
  bool new_key = false;         // an export's: the password is asked twice
  std::string problem;          // why the last key did not do, or empty
};
struct FileKeyAnswer {
  SecretText password;
  std::string key_file_path;  // empty: none
};

// What the application object needs from the window system: the main
// window's menu, its entry list view and message boxes. The Qt main window
// implements it, quillbox-cli has a terminal version, tests fake it.
class QuillboxView : public MessageBoxView {
 public:
  // Rebuilds the list view from the application's entry list, sorted with the
  // current sort order and with no row selected. False when filling stopped.
  virtual bool RefreshList() = 0;

  // Menu state by command id (app/command_ids.h). Checking an item also
  // enables it, as the whole item state is replaced.
  virtual void SetMenuItemEnabled(int commandId, bool enabled) = 0;
  virtual void SetMenuItemChecked(int commandId, bool checked) = 0;

  // The list view's rows in display order. A row carries the index of its
  // entry in the entry list; false when that cannot be read.
  virtual int GetRowCount() = 0;
  virtual bool IsRowSelected(int row) = 0;
  virtual bool GetRowEntryIndex(int row, int& entryIndex) = 0;

  // Selects the rows of these entries (after a reload); views without a
  // selection of their own ignore it.
  virtual void SelectEntryIndexes(const std::vector<uint32_t>& entryIndexes) { (void)entryIndexes; }
  // A short note that needs no answer (the status bar).
  virtual void ShowStatus(const char* text) { (void)text; }
  // A save the user asked for did not reach the file; text names the safe
  // and the reason. Views that end with the command and report its exit
  // status in their own words leave it out.
  virtual void ShowSaveFailure(OwnerWindow owner, const char* text, const char* caption) {
    ShowMessageBox(owner, text, caption, kMbOk | kMbIconWarning);
  }

  // Asks with prompt for a password of the user's safe (before it is
  // replaced, or its old one) and returns whether opens(password) accepted
  // it; refusal tells a password it did not accept. A view that cannot ask
  // (quillbox-cli, whose --force is the way out for a forgotten password)
  // returns kNotAsked.
  enum class SafePasswordAnswer { kOpened, kRefused, kNotAsked };
  virtual SafePasswordAnswer AskSafePassword(OwnerWindow owner, const char* userName, const char* prompt,
                                             const char* refusal,
                                             const std::function<bool(const char* password)>& opens) {
    (void)owner, (void)userName, (void)prompt, (void)refusal, (void)opens;
    return SafePasswordAnswer::kNotAsked;
  }

  // Runs slow work (a key derivation, about a second) while showing that
  // the program is busy and keeping its windows painted. The work touches
  // no window and may run on another thread; this returns when it is done.
  virtual void RunBusy(const std::function<void()>& work) { work(); }

  // Asks for a protected file's password and, when it takes one, a key
  // file; a new key passes CheckNewFilePassword before this returns. False
  // when cancelled, or from a view that cannot ask.
  virtual bool AskFileKey(OwnerWindow owner, const FileKeyRequest& request, FileKeyAnswer* answer) {
    (void)owner, (void)request, (void)answer;
    return false;
  }
};
