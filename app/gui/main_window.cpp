#include "app/gui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QHeaderView>
#include <QStatusBar>
#include <QMenu>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <QVBoxLayout>

#include "app/command_ids.h"
#include "auto_type/gui/auto_type_commands.h"
#include "app/gui/busy_work.h"
#include "app/gui/entry_list_model.h"
#include "app/gui/entry_list_view.h"
#include "app/gui/clipboard_service.h"
#include "app/gui/entry_sort.h"
#include "app/gui/filter_field.h"
#include "app/gui/lock_watch.h"
#include "app/gui/login_dialog.h"
#include "ui/gui/qt_message_box.h"
#include "app/gui/run_entry_dialog.h"
#include "ui/gui/qt_text.h"
#include "interchange/gui/file_key_dialog.h"
#include "app/gui/safe_password_dialog.h"
#include "app/gui/safe_watcher.h"
#include "app/gui/set_password_dialog.h"
#include "app/gui/settings_dialog.h"
#include "app/gui/settings_file_watch.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "app/ssh_agent_session.h"

namespace {

constexpr char kHelpFile[] = "quillbox.html";

}  // namespace

MainWindow::MainWindow(Quillbox& app)
    : app_(app),
      model_(new EntryListModel(app.GetEntries(), this)),
      list_(new EntryListView),
      filter_(new FilterField),
      clipboard_(new ClipboardService(app.GetClipboardClearSeconds(), this)),
      lockWatch_(new LockWatch(app.GetLockAfterSeconds(), app.GetLockOnScreenLock(), this)),
      watcher_(new SafeWatcher(
          app, [this] { LockAndAskForPassword(); }, this)) {
  setWindowTitle(QString::fromLatin1(kTitle));
  list_->setModel(model_);
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(filter_);
  layout->addWidget(list_);
  setCentralWidget(central);
  setTabOrder(filter_, list_);
  // The list has the keyboard, as when it was the window's only control.
  list_->setFocus();
  statusBar()->setAccessibleName(QStringLiteral("Status"));
  CreateMenus();
  CreateAccelerators();
  CreateContextMenu();
  CreateColumnMenu();
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainWindow::OnSelectionChanged);
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this, &MainWindow::UpdateCopyActions);
  connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this, &MainWindow::SortList);
  connect(list_, &EntryListView::entryDoubleClicked, this, &MainWindow::OnEntryDoubleClicked);
  connect(list_, &EntryListView::copyKeyPressed, this, [this] { RunCommand(kCmdCopyPassword); });
  connect(list_, &EntryListView::contextMenuWanted, this, &MainWindow::ShowContextMenu);
  connect(filter_, &FilterField::textChanged, this, &MainWindow::OnFilterChanged);
  connect(filter_, &FilterField::leaveForList, this, [this] { list_->setFocus(Qt::TabFocusReason); });
  connect(clipboard_, &ClipboardService::statusChanged, this, [this](const QString& text, int timeoutMs) {
    if (text.isEmpty()) {
      statusBar()->clearMessage();
    } else {
      statusBar()->showMessage(text, timeoutMs);
    }
  });
  connect(lockWatch_, &LockWatch::lockRequested, this, [this] { RunCommand(kCmdLock); });
  connect(new SettingsFileWatch(this), &SettingsFileWatch::settingsChanged, this, &MainWindow::ApplySettings);
  // Lock is enabled exactly while a safe is open.
  connect(MenuAction(kCmdLock), &QAction::enabledChanged, lockWatch_, &LockWatch::SetSafeOpen);
  connect(MenuAction(kCmdLock), &QAction::enabledChanged, this, [this](bool open) {
    if (open) SetLocked(false);
  });
  if (AutoTypeAvailable()) {
    connect(this, &MainWindow::settingsChanged, new AutoTypeShortcut(*this), &AutoTypeShortcut::TakeShortcut);
  } else {
    QAction* autoType = MenuAction(kCmdPerformAutoType);
    autoType->setToolTip(QString::fromLatin1(kAutoTypeNeedsX11Note));
    for (QObject* menu : autoType->associatedObjects()) {
      if (auto* shown = qobject_cast<QMenu*>(menu)) shown->setToolTipsVisible(true);
    }
  }
  app_.SetView(this);
  sshAgent_ = std::make_unique<SshAgentSession>(*this);
  app_.SetSessionListener(sshAgent_.get());
}

MainWindow::~MainWindow() {
  app_.SetSessionListener(nullptr);
  app_.SetView(nullptr);
}

QAction* MainWindow::MenuAction(int commandId) const {
  const auto found = menuActions_.find(commandId);
  return found == menuActions_.end() ? nullptr : found->second;
}

void MainWindow::RunCommand(int commandId) {
  for (const Command& command : CommandTable()) {
    if (command.id == commandId) {
      command.run(*this);
      return;
    }
  }
}

int MainWindow::ShowMessageBox(OwnerWindow owner, const char* text, const char* caption, unsigned style) {
  return ShowQtMessageBox(owner ? static_cast<QWidget*>(owner) : this, text, caption, style);
}

bool MainWindow::RefreshList() {
  model_->FillListView();
  SortList(kResortColumn);
  // A reset drops the selection without a selection signal.
  OnSelectionChanged();
  if (model_->rowCount() == 0) list_->ForgetPaintedTexts();
  emit listRefreshed();
  return true;
}

void MainWindow::SetMenuItemEnabled(int commandId, bool enabled) {
  if (QAction* action = MenuAction(commandId)) {
    action->setEnabled(enabled);
  }
}

void MainWindow::SetMenuItemChecked(int commandId, bool checked) {
  if (QAction* action = MenuAction(commandId)) {
    action->setChecked(checked);
    action->setEnabled(true);
  }
}

int MainWindow::GetRowCount() { return model_->rowCount(); }

bool MainWindow::IsRowSelected(int row) { return list_->selectionModel()->isRowSelected(row, QModelIndex()); }

bool MainWindow::GetRowEntryIndex(int row, int& entryIndex) { return model_->GetEntryIndex(row, entryIndex); }

void MainWindow::SelectEntryIndexes(const std::vector<uint32_t>& entryIndexes) {
  QItemSelection selection;
  for (int row = 0; row < model_->rowCount(); ++row) {
    int index;
    if (!model_->GetEntryIndex(row, index)) continue;
    if (std::find(entryIndexes.begin(), entryIndexes.end(), static_cast<uint32_t>(index)) == entryIndexes.end()) {
      continue;
    }
    selection.select(model_->index(row, 0), model_->index(row, EntryListModel::kColumnCount - 1));
  }
  list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void MainWindow::ShowStatus(const char* text) { statusBar()->showMessage(QString::fromLocal8Bit(text)); }

// A wrong password is told; Cancel is not.
QuillboxView::SafePasswordAnswer MainWindow::AskSafePassword(OwnerWindow owner, const char* userName,
                                                             const char* prompt, const char* refusal,
                                                             const std::function<bool(const char*)>& opens) {
  QWidget* parent = owner ? static_cast<QWidget*>(owner) : this;
  SafePasswordDialog dialog(TextFromBytes(userName), QString::fromLatin1(prompt), parent);
  if (dialog.exec() != QDialog::Accepted) return SafePasswordAnswer::kRefused;
  QByteArray password = dialog.Password();
  const bool opened = opens(password.constData());
  WipeBytes(password);
  if (opened) return SafePasswordAnswer::kOpened;
  ShowMessageBox(parent, refusal, kErrorCaption, kMbOk | kMbIconError);
  return SafePasswordAnswer::kRefused;
}

bool MainWindow::AskFileKey(OwnerWindow owner, const FileKeyRequest& request, FileKeyAnswer* answer) {
  FileKeyDialog dialog(request, owner ? static_cast<QWidget*>(owner) : this);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Answer(answer);
  return true;
}

void MainWindow::LookAtSafeOnDisk() { watcher_->LookNow(); }

void MainWindow::LockAndAskForPassword() {
  // The lock writes nothing over the other version; a change that waited
  // goes into it at the next log-in.
  LockSafe();
  ShowStatus(kSafeNoLongerOpensNote);
}

void MainWindow::RunBusy(const std::function<void()>& work) {
  RunBusyWork(work);
  if (lockAfterBusy_) {
    lockAfterBusy_ = false;
    // Once the step that waited for the derivation has finished.
    QTimer::singleShot(0, this, [this] { LockSafe(); });
  }
}

void MainWindow::SortList(int column) {
  const int order = NextSortOrder(app_.GetSortOrder(), column);
  app_.SetSortOrder(order);
  model_->Sort(order);
  list_->horizontalHeader()->setSortIndicator(std::clamp(order, 0, kSortOrderCount - 1) / 2,
                                              order % 2 == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void MainWindow::UpdatePasswordMasks() { model_->RevealRows(list_->selectionModel()->selection()); }

void MainWindow::SelectAllEntries() { list_->selectAll(); }

void MainWindow::ShowLogInDialog() {
  if (app_.IsLoggedIn()) {
    return;
  }
  logInWhenUp_ = false;
  if (logIn_ != nullptr && logIn_->isVisible()) {
    // Asked for again while it is open (the tray, a second start, another
    // program's unlock): the one dialog comes forward, and the caller sees its end.
    logIn_->raise();
    logIn_->activateWindow();
    QEventLoop wait;
    connect(logIn_, &QDialog::finished, &wait, &QEventLoop::quit);
    wait.exec();
    return;
  }
  const bool afterLock = locked_;
  LoginDialog dialog(app_, this);
  logIn_ = &dialog;
  dialog.exec();
  if (afterLock && app_.IsLoggedIn() && (isMinimized() || isHidden())) RestoreAndRaise();
}

void MainWindow::AskLogInAfterLock() {
  if (logInWhenUp_) ShowLogInDialog();
}

void MainWindow::SetLocked(bool locked) {
  if (!locked) logInWhenUp_ = false;
  if (locked_ == locked) return;
  locked_ = locked;
  emit lockedChanged(locked);
}

void MainWindow::ShowSetPasswordDialog() {
  SetPasswordDialog dialog(app_, this);
  if (dialog.exec() == QDialog::Accepted && app_.IsLoggedIn()) ShowStatus(kPasswordChangedNote);
}

void MainWindow::RunUpgrade() {
  const bool wasLegacy = app_.IsOpenSafeLegacy();
  app_.RunUpgradeSafe(Owner());
  if (wasLegacy && app_.IsLoggedIn() && !app_.IsOpenSafeLegacy()) ShowStatus(kSafeUpgradedNote);
}

// The copy items are greyed for several rows, but their keys still come here.
void MainWindow::CopyFieldOfOneEntry(CopiedField field) {
  if (app_.IsLoggedIn() && list_->selectionModel()->selectedRows().size() > 1) {
    ShowStatus(kSelectOneEntryNote);
    return;
  }
  CopyField(field);
}

void MainWindow::MinimizeIfShown() {
  if (isVisible() && !isMinimized()) {
    showMinimized();
  }
}

// The help page is installed in QUILLBOX_HELP_DIR, relative to the executable
// (beside it, except in a packaged install), which is where a desktop
// launcher's working directory is not.
void MainWindow::OpenHelp() {
  const QString page = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                       QStringLiteral("/" QUILLBOX_HELP_DIR "/") + QString::fromLatin1(kHelpFile));
  QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

void MainWindow::RestoreAndRaise() {
  if (isMinimized() || isHidden()) {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
  }
  raise();
  activateWindow();
  // Not inside the caller's step; the window manager may withhold the focus.
  if (logInWhenUp_) QTimer::singleShot(0, this, &MainWindow::AskLogInAfterLock);
}

void MainWindow::RequestExit() {
  if (app_.SettleUnsavedChanges(Owner())) QCoreApplication::exit(0);
}

// A locked window brought up by the user (its taskbar button, a click)
// asks for the password; minimised or hidden again, it asks the next time.
void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && logInWhenUp_) {
    QTimer::singleShot(0, this, &MainWindow::AskLogInAfterLock);
  } else if (event->type() == QEvent::WindowStateChange && isMinimized() && locked_) {
    logInWhenUp_ = true;
  }
}

void MainWindow::hideEvent(QHideEvent* event) {
  QMainWindow::hideEvent(event);
  if (locked_) logInWhenUp_ = true;
}

// Closing ends the loop; the window is saved and destroyed after it.
void MainWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  RequestExit();
}

void MainWindow::OnSelectionChanged() {
  const bool anySelected = list_->selectionModel()->hasSelection();
  SetMenuItemEnabled(kCmdEditEntry, anySelected);
  SetMenuItemEnabled(kCmdDeleteEntries, anySelected);
  UpdateCopyActions();
  UpdatePasswordMasks();
}

void MainWindow::OnEntryDoubleClicked(bool onRow) { RunEntryDialogOver(list_, !onRow); }

void MainWindow::ShowSettings() {
  SettingsDialog dialog(app_, this);
  if (dialog.exec() == QDialog::Accepted && dialog.WriteChanges()) ApplySettings();
}

void MainWindow::ApplySettings() {
  app_.ReadLiveSettings();
  clipboard_->SetClearSeconds(app_.GetClipboardClearSeconds());
  lockWatch_->ApplySettings(app_.GetLockAfterSeconds(), app_.GetLockOnScreenLock());
  emit settingsChanged();
}
