#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QtTest>

#include "app/command_ids.h"
#include "app/gui/main_window.h"
#include "app/gui/tray_icon.h"
#include "app/quillbox.h"
#include "platform/executable_path.h"

// The main window with its tray icon, driven through the command table and
// the icon's activation signal as the desktop would drive them.
class TrayIconTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();
  void IconIsAddedOnceAndRemovedOnce();
  void NoTrayWarningOutsideX11();
  void DoubleClickMinimisesAndRestores();
  void OtherClicksDoNothing();
  void RightClickMenuShowsHidesLocksAndExits();
  void HideMinimisesOnlyAShownWindow();
  void ResideOnTaskbarHidesOnMinimiseFromTheNextTime();
  void RunAtStartupTickFollowsTheClickAndTheEntryFollowsTheTick();

 private:
  void Activate(QSystemTrayIcon::ActivationReason reason);
  bool Ticked(int commandId) { return window_->MenuAction(commandId)->isChecked(); }
  bool Shown() { return window_->isVisible() && !window_->isMinimized(); }

  QTemporaryDir config_;
  Quillbox app_;
  MainWindow* window_ = nullptr;
  TrayIcon* tray_ = nullptr;
};

void TrayIconTest::initTestCase() {
  Q_INIT_RESOURCE(quillbox);
  qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
}

void TrayIconTest::init() {
  window_ = new MainWindow(app_);
  tray_ = new TrayIcon(*window_);
  window_->show();
  tray_->SetTrayIcon(true);
  QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void TrayIconTest::cleanup() {
  delete window_;
  app_.SetResideOnTaskbar(false);
  app_.SetRunAtStartup(false);
  OverrideExecutablePath(nullptr);
}

void TrayIconTest::Activate(QSystemTrayIcon::ActivationReason reason) {
  emit tray_->findChild<QSystemTrayIcon*>()->activated(reason);
  QCoreApplication::processEvents();
}

void TrayIconTest::IconIsAddedOnceAndRemovedOnce() {
  auto* icon = tray_->findChild<QSystemTrayIcon*>();
  QCOMPARE(icon->toolTip(), QStringLiteral("Tarnwell Quillbox"));
  QVERIFY(!icon->icon().isNull());
  QVERIFY(tray_->IsShown());
  tray_->SetTrayIcon(true);
  QVERIFY(tray_->IsShown());
  tray_->SetTrayIcon(false);
  QVERIFY(!tray_->IsShown());
  QVERIFY(!icon->isVisible());
  tray_->SetTrayIcon(false);
  QVERIFY(!tray_->IsShown());
}

// Qt's X11 tray watcher connects a signal of the X11 platform only; on
// Wayland (and offscreen here) with no D-Bus tray every start warned that
// the signal does not exist.
void TrayIconTest::NoTrayWarningOutsideX11() {
  QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
  QTest::failOnWarning(QRegularExpression(QStringLiteral("systemTrayWindowChanged")));
  TrayIcon another(*window_);
  another.SetTrayIcon(true);
  QVERIFY(another.IsShown());
  another.SetTrayIcon(false);
  QVERIFY(!another.IsShown());
}

void TrayIconTest::DoubleClickMinimisesAndRestores() {
  Activate(QSystemTrayIcon::DoubleClick);
  QVERIFY(window_->isMinimized());
  Activate(QSystemTrayIcon::DoubleClick);
  QVERIFY(Shown());

  // A hidden window comes back too.
  window_->hide();
  Activate(QSystemTrayIcon::DoubleClick);
  QVERIFY(Shown());
}

void TrayIconTest::OtherClicksDoNothing() {
  for (auto reason :
       {QSystemTrayIcon::Trigger, QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
    Activate(reason);
    QVERIFY(Shown());
  }
  window_->showMinimized();
  Activate(QSystemTrayIcon::Trigger);
  QVERIFY(window_->isMinimized());
}

void TrayIconTest::RightClickMenuShowsHidesLocksAndExits() {
  QMenu* menu = tray_->findChild<QSystemTrayIcon*>()->contextMenu();
  QVERIFY(menu != nullptr);
  QStringList texts;
  for (QAction* action : menu->actions()) texts << (action->isSeparator() ? QString("-") : action->text());
  QCOMPARE(texts, (QStringList{"&Show/Hide", "&Lock", "-", "E&xit"}));
  QAction* showHide = menu->actions()[0];
  showHide->trigger();
  QVERIFY(window_->isMinimized());
  showHide->trigger();
  QVERIFY(Shown());
  // Lock as File > Lock: only while a safe is open.
  QAction* lock = menu->actions()[1];
  emit menu->aboutToShow();
  QVERIFY(!lock->isEnabled());
  window_->SetMenuItemEnabled(kCmdLock, true);
  emit menu->aboutToShow();
  QVERIFY(lock->isEnabled());
  window_->SetMenuItemEnabled(kCmdLock, false);
}

void TrayIconTest::HideMinimisesOnlyAShownWindow() {
  for (int command : {kCmdHide, kCmdHideKey}) {
    window_->RunCommand(command);
    QVERIFY(window_->isVisible());
    QVERIFY(window_->isMinimized());
    window_->RunCommand(command);  // already minimised: stays so
    QVERIFY(window_->isMinimized());
    window_->RestoreAndRaise();
  }
  window_->hide();
  window_->RunCommand(kCmdHide);
  QVERIFY(!window_->isVisible());
  QVERIFY(!window_->isMinimized());
}

void TrayIconTest::ResideOnTaskbarHidesOnMinimiseFromTheNextTime() {
  window_->RunCommand(kCmdResideOnTaskbar);
  QVERIFY(app_.GetResideOnTaskbar());
  QVERIFY(Ticked(kCmdResideOnTaskbar));

  window_->RunCommand(kCmdHide);
  QTRY_VERIFY(!window_->isVisible());
  Activate(QSystemTrayIcon::DoubleClick);
  QVERIFY(Shown());

  window_->RunCommand(kCmdResideOnTaskbar);
  QVERIFY(!app_.GetResideOnTaskbar());
  QVERIFY(!Ticked(kCmdResideOnTaskbar));
  window_->RunCommand(kCmdHide);
  QCoreApplication::processEvents();
  QVERIFY(window_->isVisible());
  QVERIFY(window_->isMinimized());
}

void TrayIconTest::RunAtStartupTickFollowsTheClickAndTheEntryFollowsTheTick() {
  const QString entry = config_.filePath(QStringLiteral("autostart/Quillbox.desktop"));
  OverrideExecutablePath("/opt/Quill Box/quillbox");

  window_->RunCommand(kCmdRunAtStartup);
  QVERIFY(app_.GetRunAtStartup());
  QVERIFY(Ticked(kCmdRunAtStartup));
  QFile file(entry);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QVERIFY(file.readAll().contains("\nExec=\"/opt/Quill Box/quillbox\"\n"));

  window_->RunCommand(kCmdRunAtStartup);
  QVERIFY(!app_.GetRunAtStartup());
  QVERIFY(!Ticked(kCmdRunAtStartup));
  QVERIFY(!QFile::exists(entry));

  // The executable cannot be named: no entry, but the tick still follows.
  OverrideExecutablePath("");
  window_->RunCommand(kCmdRunAtStartup);
  QVERIFY(Ticked(kCmdRunAtStartup));
  QVERIFY(!QFile::exists(entry));
}

QTEST_MAIN(TrayIconTest)
#include "tray_icon_test.moc"
