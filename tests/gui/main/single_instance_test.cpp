#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "app/gui/single_instance.h"

class SingleInstanceTest : public QObject {
  Q_OBJECT

 private slots:
  void LaterStartAsksTheFirstToComeForward();
  void LaterStartHandsOverItsActivationToken();
  void RequestLinesOfEveryVersionActivate();
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

namespace {

constexpr char kTokenVariable[] = "XDG_ACTIVATION_TOKEN";

// A first instance in a folder of its own that records the token in the
// environment each time its handler runs.
struct RecordingInstance {
  QTemporaryDir dir;
  QString name = QDir(dir.path()).filePath("instance");
  SingleInstance instance{name};
  QList<QByteArray> seen;

  void SetHandler() {
    instance.SetActivationHandler([this] { seen.append(qgetenv(kTokenVariable)); });
  }
};

// A later start by a launcher that gave it token.
bool LaterStartWithToken(const QString& name, const QByteArray& token) {
  qputenv(kTokenVariable, token);
  SingleInstance later(name);
  const bool askedTheFirst = !later.ClaimOrActivate();
  qunsetenv(kTokenVariable);
  return askedTheFirst;
}

}  // namespace

// Under Wayland the compositor raises a window only for a token from the
// launcher, which the later start was given; the first instance gets it in
// its environment, where Qt's Wayland platform looks.
void SingleInstanceTest::LaterStartHandsOverItsActivationToken() {
  RecordingInstance first;
  QVERIFY(first.instance.ClaimOrActivate());
  first.SetHandler();
  QVERIFY(LaterStartWithToken(first.name, "sway-token-1"));
  QTRY_COMPARE(first.seen, QList<QByteArray>{"sway-token-1"});

  // Kept with a request that came before the window.
  RecordingInstance early;
  QVERIFY(early.instance.ClaimOrActivate());
  QVERIFY(LaterStartWithToken(early.name, "sway-token-2"));
  QTRY_VERIFY(early.instance.HasPendingActivation());
  early.SetHandler();
  QCOMPARE(early.seen, QList<QByteArray>{"sway-token-2"});
  qunsetenv(kTokenVariable);
}

// Earlier versions send the bare line; a token that is not one (spaces,
// control characters) still activates, without it. The token is in the
// environment only while the handler runs.
void SingleInstanceTest::RequestLinesOfEveryVersionActivate() {
  RecordingInstance first;
  QVERIFY(first.instance.ClaimOrActivate());
  first.SetHandler();
  const struct {
    QByteArray line;
    QByteArray token;
  } cases[] = {
      {"activate\n", ""},
      {"activate abc-123_XYZ\n", "abc-123_XYZ"},
      {"activate two words\n", ""},
      {"activate bad\x01token\n", ""},
  };
  for (const auto& c : cases) {
    qunsetenv(kTokenVariable);
    const qsizetype before = first.seen.size();
    QLocalSocket socket;
    socket.connectToServer(first.name);
    QVERIFY(socket.waitForConnected(1000));
    socket.write(c.line);
    QVERIFY(socket.waitForBytesWritten(1000));
    QTRY_COMPARE(first.seen.size(), before + 1);
    QCOMPARE(first.seen.last(), c.token);
    // Not left for programs the window starts later.
    QVERIFY(!qEnvironmentVariableIsSet(kTokenVariable));
  }
  qunsetenv(kTokenVariable);
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
