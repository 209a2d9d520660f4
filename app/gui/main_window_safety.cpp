#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include "app/command_ids.h"
#include "auto_type/gui/auto_type_commands.h"
#include "app/gui/clipboard_service.h"
#include "app/gui/entry_field_buffers.h"
#include "app/gui/entry_list_model.h"
#include "app/gui/entry_list_view.h"
#include "app/gui/filter_field.h"
#include "app/gui/generator_dialog.h"
#include "health/gui/health_report_dialog.h"
#include "app/gui/main_window.h"
#include "ui/gui/qt_text.h"
#include "app/gui/run_entry_dialog.h"
#include "app/quillbox.h"
#include "app/ssh_agent_session.h"
#include "safe/field_reference.h"

// The everyday-safety side of the main window: copying through the
// clipboard service, the lock, the filter and the generator.
namespace {

constexpr char kHiddenByFilterNote[] = "The entry is saved but does not match the filter, so it is not shown.";
constexpr int kNoteShownMs = 8000;

// Items of the list's context menu, in order; 0 is a separator.
constexpr int kContextItems[] = {kCmdCopyUserName,
                                 kCmdCopyPassword,
                                 kCmdCopyWebAddress,
                                 kCmdOpenWebAddress,
                                 kCmdCopyOneTimeCode,
                                 kCmdPerformAutoType,
                                 0,
                                 kCmdEditEntry,
                                 kCmdDeleteEntries};

// Menus, message boxes and dialogs over the window end as if cancelled, so
// a lock never lets a half-made change through.
void CancelOpenDialogs() {
  QWidget* previous = nullptr;
  while (QWidget* popup = QApplication::activePopupWidget()) {
    if (popup == previous) break;
    previous = popup;
    popup->close();
  }
  while (QWidget* modal = QApplication::activeModalWidget()) {
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (dialog == nullptr || dialog == previous) break;
    previous = dialog;
    dialog->reject();
  }
}

}  // namespace

void MainWindow::CreateContextMenu() {
  contextMenu_ = new QMenu(this);
  for (const int id : kContextItems) {
    if (id == 0) {
      contextMenu_->addSeparator();
    } else {
      contextMenu_->addAction(MenuAction(id));
    }
  }
}

void MainWindow::ShowContextMenu(const QPoint& globalPos) {
  if (app_.IsLoggedIn()) contextMenu_->popup(globalPos);
}

bool MainWindow::GetCopyRow(int& row) {
  const QModelIndexList selected = list_->selectionModel()->selectedRows();
  if (selected.size() == 1) {
    row = selected.front().row();
    return true;
  }
  const QModelIndex current = list_->currentIndex();
  if (selected.isEmpty() && current.isValid()) {
    row = current.row();
    return true;
  }
  return false;
}

void MainWindow::UpdateCopyActions() {
  int row;
  const bool one = app_.IsLoggedIn() && GetCopyRow(row);
  SetMenuItemEnabled(kCmdCopyUserName, one);
  SetMenuItemEnabled(kCmdCopyPassword, one);
  const Entry* entry = CopyEntry();
  SetMenuItemEnabled(kCmdCopyWebAddress, entry != nullptr && !entry->url.empty());
  SetMenuItemEnabled(kCmdOpenWebAddress, entry != nullptr && !entry->url.empty());
  SetMenuItemEnabled(kCmdCopyOneTimeCode, entry != nullptr && !entry->totp.empty());
  SetMenuItemEnabled(kCmdPerformAutoType, entry != nullptr && AutoTypeAvailable());
}

const Entry* MainWindow::CopyEntry() {
  int row;
  int entry;
  if (!app_.IsLoggedIn() || !GetCopyRow(row) || !model_->GetEntryIndex(row, entry)) return nullptr;
  return app_.GetEntry(entry);
}

void MainWindow::CopyField(CopiedField field) {
  const Entry* shown = CopyEntry();
  if (shown == nullptr) return;
  const SecretText& written = field == CopiedField::kUserName ? shown->userName : shown->password;
  const SecretText value = ResolveFieldReferences(written.view(), app_.GetEntries());
  clipboard_->Copy(value.c_str(), field);
}

void MainWindow::LogOut() {
  if (!app_.SettleUnsavedChanges(Owner())) return;
  clipboard_->ClearNow();
  app_.LogOut();
  SetLocked(false);
  filter_->clear();
}

void MainWindow::LockSafe() {
  // Never inside the wait of a key derivation: the step after it would
  // find another safe, or the log-in dialog, in place of its own.
  if (app_.IsBusy()) {
    lockAfterBusy_ = true;
    return;
  }
  if (!app_.IsLoggedIn()) return;
  // A lock never takes the keyboard from another program: only a window
  // of ours that has it goes on to the log-in.
  const bool hadFocus = QApplication::activeWindow() != nullptr;
  CancelOpenDialogs();
  app_.Lock();
  clipboard_->ClearNow();
  // Nothing typed or shown about the entries stays on screen.
  filter_->clear();
  statusBar()->clearMessage();
  SetLocked(true);
  logInWhenUp_ = true;
  // Once the cancelled dialogs have unwound.
  if (hadFocus) QTimer::singleShot(0, this, &MainWindow::AskLogInAfterLock);
}

void MainWindow::RunEntryDialogOver(QWidget* owner, bool addMode) {
  const int rowsBefore = GetRowCount();
  const SshKeysHeld keysBefore = SshKeysOf(app_.GetEntries());
  if (!RunEntryDialog(app_, *this, owner, addMode)) return;
  // A key loaded with "SSH Key..." reaches the agent now, not at the next log-in.
  sshAgent_->AddLoadedKeys(keysBefore, app_.GetEntries());
  const int rowsAfter = GetRowCount();
  if (addMode ? rowsAfter <= rowsBefore : rowsAfter < rowsBefore) {
    statusBar()->showMessage(QString::fromLatin1(kHiddenByFilterNote), kNoteShownMs);
  }
}

void MainWindow::ShowGenerator() {
  GeneratorDialog dialog(false, this);
  dialog.exec();
}

void MainWindow::ShowHealthReport() {
  if (!app_.IsLoggedIn()) return;
  HealthReportDialog dialog(app_, healthReports_, RunEntryDialogFor, this);
  dialog.exec();
}

void MainWindow::CheckAgainstBreachList() {
  if (app_.IsLoggedIn() && ChooseBreachList(app_, this)) ShowHealthReport();
}

void MainWindow::FocusFilter() {
  filter_->setFocus(Qt::ShortcutFocusReason);
  filter_->selectAll();
}

void MainWindow::OnFilterChanged(const QString& text) {
  QByteArray bytes = BytesFromText(text);
  model_->SetFilterText(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  // The rows are sorted already; only which of them show changes.
  model_->ApplyFilter();
  OnSelectionChanged();
}
