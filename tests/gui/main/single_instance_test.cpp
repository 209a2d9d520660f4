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

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
