#pragma once

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <memory>
#include <span>

#include "app/quillbox_view.h"
#include "auto_type/gui/auto_type_window.h"

#include "app/clipboard_keeper.h"
#include "app/window_health_report.h"
#include "core/product_name.h"

class ClipboardService;
struct Entry;
class EntryListModel;
class EntryListView;
class FilterField;
class LockWatch;
class Quillbox;
class QAction;
class QDialog;
class SafeWatcher;
class SshAgentSession;
class QMenu;

// The product's window: the menu, the accelerators and the entry list of the
// open safe. It is the application object's view: menu state, the list and
// its selection, and message boxes.
class MainWindow : public QMainWindow, public QuillboxView, public AutoTypeWindow {
  Q_OBJECT

 public:
  static constexpr const char* kTitle = kProductName;

  explicit MainWindow(Quillbox& app);
  ~MainWindow() override;

  QWidget* Widget() override { return this; }
  Quillbox& App() override { return app_; }
  EntryListView* ListView() { return list_; }
  // The header's context menu of the columns shown on request.
  QMenu* ColumnMenu() { return columnMenu_; }
  FilterField* Filter() { return filter_; }
  // The menu item of a command id, null for the accelerator-only ids.
  QAction* MenuAction(int commandId) const;
  // This window as the owner of a model dialog or message box.
  OwnerWindow Owner() { return static_cast<QWidget*>(this); }

  // Menu items and accelerators all come here; unknown ids do nothing.
  void RunCommand(int commandId);

  int ShowMessageBox(OwnerWindow owner, const char* text, const char* caption, unsigned style) override;
  bool RefreshList() override;
  void SetMenuItemEnabled(int commandId, bool enabled) override;
  void SetMenuItemChecked(int commandId, bool checked) override;
  int GetRowCount() override;
  bool IsRowSelected(int row) override;
  bool GetRowEntryIndex(int row, int& entryIndex) override;
  void SelectEntryIndexes(const std::vector<uint32_t>& entryIndexes) override;
  void ShowStatus(const char* text) override;
  SafePasswordAnswer AskSafePassword(OwnerWindow owner, const char* userName, const char* prompt, const char* refusal,
                                     const std::function<bool(const char* password)>& opens) override;
  bool AskFileKey(OwnerWindow owner, const FileKeyRequest& request, FileKeyAnswer* answer) override;

  // Looks at the open safe's file now instead of at the next tick.
  void LookAtSafeOnDisk();
  void RunBusy(const std::function<void()>& work) override;

  // A column click (0-2) or a re-sort with the current order (-1).
  void SortList(int column);
  void UpdatePasswordMasks();
  void SelectAllEntries();

  // Exit, the window's close button and the tray's Exit: unsaved changes
  // are saved first, or the user chooses to drop them or stay.
  void RequestExit();
  // The log-in dialog; while one is open, that one is brought forward and
  // waited for instead.
  void ShowLogInDialog() override;
  void ShowSetPasswordDialog();
  void LogOut();
  // Closes the open safe as "Log Out" does, after cancelling any dialog
  // open over the window. Silently: the window stays as it was, and the
  // same user's password is asked when the user brings the window up (at
  // once when Quillbox had the focus). Idle time, a locking desktop session
  // and "&Lock" all come here.
  void LockSafe();
  // Locked and not logged in since.
  bool IsLocked() const { return locked_; }
  // The add or edit dialog; a change the filter hides is told in the status bar.
  void RunEntryDialogOver(QWidget* owner, bool addMode);
  // The user name or password of the row that is the only one selected, or
  // of the current row when none is.
  void CopyField(CopiedField field);
  // The entry those copy from; null when there is none.
  const Entry* CopyEntry() override;
  // As CopyField, but several selected rows are told to the user.
  void CopyFieldOfOneEntry(CopiedField field);
  // File > "Upgrade Safe Encryption...", told in the status bar when done.
  void RunUpgrade();
  void ShowGenerator();
  // Passwords > "Password &Health..." and "Check Against a Breach List...".
  void ShowHealthReport();
  void CheckAgainstBreachList();
  void FocusFilter();
  void MinimizeIfShown() override;
  void OpenHelp();
  // Back from minimised or hidden, and in front: a second start asks for
  // it. After a lock it asks for the password.
  void RestoreAndRaise() override;
  // File > "&Settings...", applied at once when accepted.
  void ShowSettings();
  // Reads the settings again: after the dialog, and when a settings file changes.
  void ApplySettings();

 signals:
  // After ApplySettings: the services that read their own settings look again.
  void settingsChanged();
  // After every refresh of the list: a change, a log-in, a lock or a log-out.
  void listRefreshed();
  void lockedChanged(bool locked);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  struct Command {
    int id;
    void (*run)(MainWindow& window);
  };
  static std::span<const Command> CommandTable();

  void CreateMenus();
  void CreateAccelerators();
  void OnSelectionChanged();
  void OnEntryDoubleClicked(bool onRow);
  // The safe changed elsewhere and no longer opens with the password.
  void LockAndAskForPassword();
  void SetLocked(bool locked);
  // The log-in a lock put off, once the window is up.
  void AskLogInAfterLock();
  void OnFilterChanged(const QString& text);
  bool GetCopyRow(int& row);
  void UpdateCopyActions();
  void ShowContextMenu(const QPoint& globalPos);
  void CreateContextMenu();
  void CreateColumnMenu();

  Quillbox& app_;
  EntryListModel* model_;
  EntryListView* list_;
  FilterField* filter_;
  ClipboardService* clipboard_;
  LockWatch* lockWatch_;
  QMenu* contextMenu_ = nullptr;
  QMenu* columnMenu_ = nullptr;
  std::map<int, QAction*> menuActions_;
  SafeWatcher* watcher_;
  // The open safe's SSH keys in the agent, from log-in to lock.
  std::unique_ptr<SshAgentSession> sshAgent_;
  // A lock asked for while a key derivation ran: it runs once that ends.
  bool lockAfterBusy_ = false;
  bool locked_ = false;
  // The password is asked the next time the window comes up.
  bool logInWhenUp_ = false;
  QPointer<QDialog> logIn_;
  WindowHealthReport healthReports_;
};
