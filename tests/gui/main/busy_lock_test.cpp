// A lock asked for while a key is derived (the idle timer, the desktop's
// screen lock) waits until the derivation and the step after it are done:
// a log-in dialog inside the wait could open another user's safe under the
// step that is still to come.
#include <QDialog>
#include <QTimer>
#include <QtTest>

#include "app/command_ids.h"
#include "app/gui/main_window.h"
#include "gui_test_support.h"
#include "safe/safe_store.h"

class BusyLockTest : public QObject {
  Q_OBJECT

 private slots:
  void ALockDuringANewPasswordsDerivationRunsWhenItEnds();
};

void BusyLockTest::ALockDuringANewPasswordsDerivationRunsWhenItEnds() {
  GuiTestWorld world;
  // Enough Argon2id memory that the derivation outlasts the lock's timer.
  world.App().SetNewSafeParams({1, 65536});
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "b1"}});
  world.CreateUserWithEntries("bob", "bpw", {{"Club", "bob", "c1"}});
  world.App().LogOut();
  QVERIFY(world.App().LogIn("alice", "pw"));
  MainWindow& window = world.Window();

  bool askedWhileBusy = false;
  QTimer::singleShot(5, &window, [&] {
    askedWhileBusy = world.App().IsBusy();
    window.RunCommand(kCmdLock);
  });
  QVERIFY(world.App().ChangePassword("alice", "new"));
  QVERIFY(askedWhileBusy);
  // The step finished on alice's safe; the lock comes after it.
  QVERIFY(world.App().IsLoggedIn());
  QTRY_VERIFY(window.IsLocked());
  QVERIFY(!world.App().IsLoggedIn());

  EntryList entries;
  QVERIFY(LoadSafe("alice", "new", entries));
  QVERIFY(LoadSafe("bob", "bpw", entries));
  QVERIFY(!LoadSafe("bob", "new", entries));
}

QTEST_MAIN(BusyLockTest)
#include "busy_lock_test.moc"
