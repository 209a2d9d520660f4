#pragma once

#include <QMainWindow>
#include <map>
#include <span>

#include "app/quillbox_view.h"

class EntryListModel;
class EntryListView;
class Quillbox;
class QAction;
class SafeWatcher;

// "Tarnwell Quillbox": the menu, the accelerators and the entry list of the
// open safe. It is the application object's view: menu state, the list and
// its selection, and message boxes.
class MainWindow : public QMainWindow, public QuillboxView {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "Tarnwell Quillbox";

  explicit MainWindow(Quillbox& app);
  ~MainWindow() override;

  Quillbox& App() { return app_; }
  EntryListView* ListView() { return list_; }
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

  // Looks at the open safe's file now instead of at the next tick.
  void LookAtSafeOnDisk();

  // A column click (0-2) or a re-sort with the current order (-1).
  void SortList(int column);
  void UpdatePasswordMasks();
  void SelectAllEntries();

  void ShowLogInDialog();
  void ShowSetPasswordDialog();
  void MinimizeIfShown();
  void OpenHelp();
  // Back from minimised or hidden, and in front: a second start asks for it.
  void RestoreAndRaise();

 protected:
  void closeEvent(QCloseEvent* event) override;

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

  Quillbox& app_;
  EntryListModel* model_;
  EntryListView* list_;
  std::map<int, QAction*> menuActions_;
  SafeWatcher* watcher_;
};
