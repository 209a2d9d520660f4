#include <poll.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QMutex>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include "app/gui/lock_watch.h"

// logind as far as the sleep inhibitor meets it, on a private bus that the
// program takes for the system bus. It runs in a thread of its own, as the
// program's calls to it block.
class FakeLogind : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

 public:
  ~FakeLogind() override {
    for (int fd : readEnds_) ::close(fd);
  }

  QStringList LastRequest() {
    QMutexLocker locker(&mutex_);
    return lastRequest_;
  }
  int Requests() {
    QMutexLocker locker(&mutex_);
    return static_cast<int>(readEnds_.size());
  }
  // Whether some inhibitor handed out is still open at the program's end,
  // as logind sees it: a pipe whose writer is gone reports a hang-up.
  bool AnyHeld() {
    QMutexLocker locker(&mutex_);
    for (int fd : readEnds_) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 0) == 0) return true;
    }
    return false;
  }

 public slots:
  QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why, const QString& mode) {
    QMutexLocker locker(&mutex_);
    lastRequest_ = {what, who, why, mode};
    int ends[2];
    if (::pipe(ends) != 0) return {};
    readEnds_.append(ends[0]);
    QDBusUnixFileDescriptor handed(ends[1]);  // a copy of the descriptor
    ::close(ends[1]);
    return handed;
  }

 private:
  QMutex mutex_;
  QStringList lastRequest_;
  QList<int> readEnds_;
};

class SleepInhibitorTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void init();
  void cleanup();
  void HeldWhileASafeIsOpenAndReleasedOnceTheSleepLockIsDone();
  void NotHeldWhenSessionLocksDoNotLock();
  void MissingLogindIsIgnored();

 private:
  void EmitPrepareForSleep(bool sleeping);

  QProcess bus_;
  QString address_;
  QThread thread_;
  FakeLogind* logind_ = nullptr;
};

constexpr char kService[] = "org.freedesktop.login1";
constexpr char kPath[] = "/org/freedesktop/login1";
constexpr char kConnectionName[] = "fake-logind";

void SleepInhibitorTest::initTestCase() {
  bus_.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--nopidfile", "--print-address=1"});
  QVERIFY(bus_.waitForReadyRead(10000));
  address_ = QString::fromLatin1(bus_.readLine().trimmed());
  QVERIFY(!address_.isEmpty());
  // Before the program's first use of the system bus.
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", address_.toLatin1());
  qunsetenv("DBUS_SESSION_BUS_ADDRESS");
  thread_.start();
}

void SleepInhibitorTest::cleanupTestCase() {
  thread_.quit();
  thread_.wait();
  bus_.terminate();
  bus_.waitForFinished();
}

void SleepInhibitorTest::init() {
  logind_ = new FakeLogind;
  logind_->moveToThread(&thread_);
  QDBusConnection connection = QDBusConnection::connectToBus(address_, QString::fromLatin1(kConnectionName));
  QVERIFY(connection.isConnected());
  QVERIFY(connection.registerObject(QString::fromLatin1(kPath), logind_, QDBusConnection::ExportAllSlots));
  QVERIFY(connection.registerService(QString::fromLatin1(kService)));
}

void SleepInhibitorTest::cleanup() {
  QDBusConnection::disconnectFromBus(QString::fromLatin1(kConnectionName));
  logind_->deleteLater();
  logind_ = nullptr;
}

void SleepInhibitorTest::EmitPrepareForSleep(bool sleeping) {
  QDBusMessage signal = QDBusMessage::createSignal(
      QString::fromLatin1(kPath), QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
  signal << sleeping;
  QVERIFY(QDBusConnection(QString::fromLatin1(kConnectionName)).send(signal));
}

void SleepInhibitorTest::HeldWhileASafeIsOpenAndReleasedOnceTheSleepLockIsDone() {
  auto* watch = new LockWatch(0, true);
  int locks = 0;
  bool heldWhileLocking = false;
  // What the window does: lock, and so close the safe.
  connect(watch, &LockWatch::lockRequested, watch, [&] {
    ++locks;
    heldWhileLocking = logind_->AnyHeld();
    watch->SetSafeOpen(false);
  });
  QVERIFY(!logind_->AnyHeld());

  watch->SetSafeOpen(true);  // logged in
  QVERIFY(watch->HoldsBackSleep());
  QVERIFY(logind_->AnyHeld());
  QCOMPARE(logind_->LastRequest(),
           (QStringList{"sleep", "Tarnwell Quillbox", "Locking the open safe before sleep", "delay"}));

  EmitPrepareForSleep(true);
  QTRY_COMPARE(locks, 1);
  QVERIFY(heldWhileLocking);
  QTRY_VERIFY(!logind_->AnyHeld());
  QVERIFY(!watch->HoldsBackSleep());

  // Awake and logged in again: held afresh, and let go with the window.
  EmitPrepareForSleep(false);
  watch->SetSafeOpen(true);
  QVERIFY(logind_->AnyHeld());
  QCOMPARE(logind_->Requests(), 2);
  delete watch;
  QTRY_VERIFY(!logind_->AnyHeld());
}

void SleepInhibitorTest::NotHeldWhenSessionLocksDoNotLock() {
  LockWatch watch(0, false);
  watch.SetSafeOpen(true);
  QVERIFY(!watch.HoldsBackSleep());
  QCOMPARE(logind_->Requests(), 0);
}

void SleepInhibitorTest::MissingLogindIsIgnored() {
  QVERIFY(QDBusConnection(QString::fromLatin1(kConnectionName)).unregisterService(QString::fromLatin1(kService)));
  LockWatch watch(0, true);
  watch.SetSafeOpen(true);
  QVERIFY(!watch.HoldsBackSleep());
  QCOMPARE(logind_->Requests(), 0);
  watch.SetSafeOpen(false);
}

QTEST_MAIN(SleepInhibitorTest)
#include "sleep_inhibitor_test.moc"
