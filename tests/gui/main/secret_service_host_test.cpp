#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "app/command_ids.h"
#include "app/gui/main_window.h"
#include "secret_service/gui/secret_service_host.h"
#include "settings/setting_catalogue.h"
#include "tests/gui/main/gui_test_support.h"

// The owner of org.freedesktop.secrets on a private session bus that starts
// no services: Quillbox takes the name at start-up when it is free; when
// another program has it, Quillbox names that program, waits in the queue
// and takes the name when it leaves.
class SecretServiceHostTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void TakesTheNameAtStartUpAndGivesItBackWhenTurnedOff();
  void WaitsForTheOwnerToLeaveAndSaysWhoServes();
  void OffByDefault();

 private:
  QDBusConnection Bus() { return QDBusConnection(QStringLiteral("quillbox")); }
  bool Owned() { return Bus().interface()->isServiceRegistered(kName).value(); }

  const QString kName = QStringLiteral("org.freedesktop.secrets");
  QTemporaryDir dir_;
  QProcess bus_;
  QString address_;
};

void SecretServiceHostTest::initTestCase() {
  QVERIFY(dir_.isValid());
  const QString config = dir_.filePath(QStringLiteral("bus.conf"));
  QFile file(config);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen><auth>EXTERNAL</auth>"
                            "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                            "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>")
                 .arg(dir_.path())
                 .toUtf8());
  file.close();
  bus_.start(QStringLiteral("dbus-daemon"),
             {QStringLiteral("--config-file=") + config, "--nofork", "--nopidfile", "--print-address=1"});
  QVERIFY(bus_.waitForReadyRead(10000));
  address_ = QString::fromLatin1(bus_.readLine().trimmed());
  QVERIFY(!address_.isEmpty());
  QVERIFY(QDBusConnection::connectToBus(address_, QStringLiteral("quillbox")).isConnected());
}

void SecretServiceHostTest::cleanupTestCase() {
  QDBusConnection::disconnectFromBus(QStringLiteral("quillbox"));
  bus_.kill();
  bus_.waitForFinished();
}

void SecretServiceHostTest::TakesTheNameAtStartUpAndGivesItBackWhenTurnedOff() {
  GuiTestWorld world;
  world.App().SetSettingInt(kSecretServiceSetting.name, 1);
  auto* host = new SecretServiceHost(world.App(), world.Window(), Bus());
  QVERIFY(world.Window().MenuAction(kCmdSecretService)->isChecked());
  // Before any log-in: otherwise the bus would start another provider for the first client.
  QVERIFY(host->IsServing());
  QVERIFY(Owned());
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "b1"}});
  QVERIFY(host->IsServing());
  QCOMPARE(world.Window().statusBar()->currentMessage(), QStringLiteral("Serving secrets to other programs."));
  world.Window().RunCommand(kCmdSecretService);
  QVERIFY(!host->IsServing());
  QTRY_VERIFY(!Owned());
  QVERIFY(!world.Window().MenuAction(kCmdSecretService)->isChecked());
  QVERIFY(!world.App().ReadFlagSetting(kSecretServiceSetting));
}

void SecretServiceHostTest::WaitsForTheOwnerToLeaveAndSaysWhoServes() {
  QDBusConnection other = QDBusConnection::connectToBus(address_, QStringLiteral("other keyring"));
  QVERIFY(other.registerService(kName));
  const QString owner = other.baseService();
  GuiTestWorld world;
  world.App().SetSettingInt(kSecretServiceSetting.name, 1);
  auto* host = new SecretServiceHost(world.App(), world.Window(), Bus());
  const QString taken =
      QStringLiteral("Secrets are served by %1 (process %2); Quillbox serves them once that program leaves.")
          .arg(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget())
          .arg(getpid());
  QTRY_COMPARE(world.Window().statusBar()->currentMessage(), taken);
  QVERIFY(!host->IsServing());
  QCOMPARE(Bus().interface()->serviceOwner(kName).value(), owner);
  // The owner leaves: the name comes to Quillbox from the queue.
  QVERIFY(other.unregisterService(kName));
  QTRY_VERIFY(host->IsServing());
  QCOMPARE(Bus().interface()->serviceOwner(kName).value(), Bus().baseService());
  QCOMPARE(world.Window().statusBar()->currentMessage(), QStringLiteral("Serving secrets to other programs."));
  world.Window().RunCommand(kCmdSecretService);
  QTRY_VERIFY(!Owned());
  QDBusConnection::disconnectFromBus(QStringLiteral("other keyring"));
}

void SecretServiceHostTest::OffByDefault() {
  GuiTestWorld world;
  auto* host = new SecretServiceHost(world.App(), world.Window(), Bus());
  QVERIFY(!world.Window().MenuAction(kCmdSecretService)->isChecked());
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "b1"}});
  QTest::qWait(50);
  QVERIFY(!host->IsServing());
  QVERIFY(!Owned());
}

QTEST_MAIN(SecretServiceHostTest)
#include "secret_service_host_test.moc"
