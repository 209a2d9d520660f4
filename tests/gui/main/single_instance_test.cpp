#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "app/gui/single_instance.h"

class SingleInstanceTest : public QObject {
  Q_OBJECT

 private slots:
  void LaterStartAsksTheFirstToComeForward();
  void LeftoverSocketAndLockDoNotBlockAStart();
  void RequestDuringTheSplashIsKeptForTheWindow();
};

void SingleInstanceTest::LaterStartAsksTheFirstToComeForward() {
  QTemporaryDir dir;
  const QString name = QDir(dir.path()).filePath("instance");
  SingleInstance first(name);
  int activations = 0;
  first.SetActivationHandler([&activations] { ++activations; });
  QVERIFY(first.ClaimOrActivate());

  SingleInstance second(name);
  QVERIFY(!second.ClaimOrActivate());
  QTRY_COMPARE(activations, 1);
}

void SingleInstanceTest::LeftoverSocketAndLockDoNotBlockAStart() {
  QTemporaryDir dir;
  const QString name = QDir(dir.path()).filePath("instance");
  // What a killed instance leaves: a socket file nobody listens on, and a
  // lock naming a process that no longer runs.
  QFile socket(name);
  QVERIFY(socket.open(QIODevice::WriteOnly));
  socket.close();
  QFile lock(name + ".lock");
  QVERIFY(lock.open(QIODevice::WriteOnly));
  lock.write("999999999\nquillbox\n" + QSysInfo::machineHostName().toUtf8() + "\n" + QSysInfo::machineUniqueId() +
             "\n");
  lock.close();

  SingleInstance instance(name);
  QVERIFY(instance.ClaimOrActivate());
  SingleInstance later(name);
  QVERIFY(!later.ClaimOrActivate());
}

// The first instance listens before its splash, but its window (and so the
// handler) exists only after it: a later start meanwhile must not be lost.
void SingleInstanceTest::RequestDuringTheSplashIsKeptForTheWindow() {
  QTemporaryDir dir;
  const QString name = QDir(dir.path()).filePath("instance");
  SingleInstance first(name);
  QVERIFY(first.ClaimOrActivate());
  SingleInstance second(name);
  QVERIFY(!second.ClaimOrActivate());
  QTRY_VERIFY(first.HasPendingActivation());

  int activations = 0;
  first.SetActivationHandler([&activations] { ++activations; });
  QCOMPARE(activations, 1);
  QVERIFY(!first.HasPendingActivation());
  first.SetActivationHandler([&activations] { ++activations; });
  QCOMPARE(activations, 1);
}

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
