#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <QtTest>

#include "app/command_ids.h"
#include "app/gui/main_window.h"
#include "app/gui/tray_icon.h"
#include "gui_test_support.h"

// A lock closes the safe without a word; the log-in comes when the user
// brings the window up. (The focus itself is held to this under a real
// window manager in tests/e2e/test_main_lock_focus.sh.)
class SilentLockTest : public QObject {
  Q_OBJECT

 private slots:
  void ALockAsksNothingUntilTheWindowIsBroughtUp_data();
  void ALockAsksNothingUntilTheWindowIsBroughtUp();
  void BroughtUpTwiceShowsOneLogIn();
  void TheTrayTipSaysLocked();
};

namespace {

// The log-in dialogs shown from now on, each answered with password once it is up.
class LogInAnswerer : public QObject {
 public:
  explicit LogInAnswerer(QString password) : password_(std::move(password)) {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr || !dialog->isVisible() || dialog->windowTitle() != "Enter Password") return;
      ++shown_;
      dialog->findChild<QLineEdit*>("passwordEdit")->setText(password_);
      dialog->accept();
    });
    timer_.start();
  }
  int Shown() const { return shown_; }

 private:
  QString password_;
  QTimer timer_;
  int shown_ = 0;
};

}  // namespace

void SilentLockTest::ALockAsksNothingUntilTheWindowIsBroughtUp_data() {
  QTest::addColumn<int>("state");
  QTest::newRow("minimised") << 0;
  QTest::newRow("hidden") << 1;
}

void SilentLockTest::ALockAsksNothingUntilTheWindowIsBroughtUp() {
  QFETCH(int, state);
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "s3cr3t"}});
  MainWindow& window = world.Window();
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  state == 0 ? window.showMinimized() : window.hide();
  // Another program has the keyboard.
  QApplication::setActiveWindow(nullptr);
  QVERIFY(QApplication::activeWindow() == nullptr);

  LogInAnswerer answerer("pw");
  window.RunCommand(kCmdLock);
  QVERIFY(!world.App().IsLoggedIn());
  QCOMPARE(window.GetRowCount(), 0);
  QVERIFY(window.IsLocked());
  // Time enough for a dialog to come up, had one been asked for.
  QTest::qWait(200);
  QCOMPARE(answerer.Shown(), 0);
  QCOMPARE(window.isMinimized(), state == 0);
  QCOMPARE(window.isVisible(), state == 0);

  window.RestoreAndRaise();
  QTRY_VERIFY(world.App().IsLoggedIn());
  QCOMPARE(answerer.Shown(), 1);
  QVERIFY(window.isVisible() && !window.isMinimized());
  QCOMPARE(window.GetRowCount(), 1);
  QVERIFY(!window.IsLocked());
}

// The tray and a second start both ask while the first log-in is up.
void SilentLockTest::BroughtUpTwiceShowsOneLogIn() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {});
  MainWindow& window = world.Window();
  window.RunCommand(kCmdLock);
  bool sameDialog = false;
  bool waitedForTheFirst = false;
  OnNextModalDialog(window, [&](QDialog& login) {
    QTimer::singleShot(150, &window, [&] {
      QWidget* shown = QApplication::activeModalWidget();
      sameDialog = shown == &login;
      if (auto* other = qobject_cast<QDialog*>(shown); other != nullptr && other != &login) other->reject();
      login.reject();
    });
    window.ShowLogInDialog();
    waitedForTheFirst = !login.isVisible();
  });
  window.RestoreAndRaise();
  QTRY_VERIFY(waitedForTheFirst);
  QVERIFY(sameDialog);
}

void SilentLockTest::TheTrayTipSaysLocked() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {});
  MainWindow& window = world.Window();
  auto* tray = new TrayIcon(window);
  const QSystemTrayIcon* icon = tray->findChild<QSystemTrayIcon*>();
  QCOMPARE(icon->toolTip(), QString("Tarnwell Quillbox"));
  window.RunCommand(kCmdLock);
  QCOMPARE(icon->toolTip(), QString("Tarnwell Quillbox (locked)"));
  QVERIFY(world.App().LogIn("alice", "pw"));
  QCOMPARE(icon->toolTip(), QString("Tarnwell Quillbox"));
  window.RunCommand(kCmdLock);
  window.RunCommand(kCmdLogOut);
  QCOMPARE(icon->toolTip(), QString("Tarnwell Quillbox"));
}

QTEST_MAIN(SilentLockTest)
#include "silent_lock_test.moc"
