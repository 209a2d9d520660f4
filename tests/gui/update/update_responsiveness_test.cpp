#include "tests/gui/update/update_responsiveness_test.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

#include "tests/unit/update/loopback_server.h"
#include "tests/unit/update/update_sandbox.h"
#include "update/gui/qt_update_view.h"
#include "update/update_check.h"

namespace {

constexpr uint32_t kNow = 1800000000;
constexpr const char* kSigPath = "downloads/update10.sig";

struct RecordingBoxes : MessageBoxView {
  std::vector<std::string> texts;
  int ShowMessageBox(OwnerWindow, const char* text, const char*, unsigned) override {
    texts.emplace_back(text);
    return kIdOk;
  }
};

// A button that counts its clicks and its paints.
struct CountingButton : QPushButton {
  int paints = 0;
  int clicks = 0;
  CountingButton() {
    connect(this, &QPushButton::clicked, this, [this] { ++clicks; });
  }
  void paintEvent(QPaintEvent* event) override {
    ++paints;
    QPushButton::paintEvent(event);
  }
};

}  // namespace

// The automatic check against a server that keeps sending just fast enough
// never to count as stalled: the check gives up at its deadline, and all the
// while the interface thread handles input and paints.
void UpdateResponsivenessTest::aSlowServerNeitherFreezesNorHoldsTheCheck() {
  UpdateSandbox sandbox;
  LoopbackServer server;
  QVERIFY(server.IsRunning());
  server.SetMode(kSigPath, "drip 200 0.5");  // for a minute
  TestSettings settings;
  settings.SetSettingString(kUpdateServerSetting.name, server.Host().c_str());
  settings.SetSettingInt(kUpdateCheckOptionSetting.name, 1);
  settings.SetSettingInt(kLastUpdateCheckTimeSetting.name, static_cast<int>(kNow - kUpdateCheckInterval));

  RecordingBoxes boxes;
  QtUpdateView view(boxes);
  UpdateEnvironment environment(settings, view);
  environment.now = [] { return kNow; };
  environment.signatureLimits.deadlineSeconds = 2;

  CountingButton button;
  button.show();
  QVERIFY(QTest::qWaitForWindowExposed(&button));
  // Input and repaints arrive through the event queue, as a user's would.
  QTimer user;
  user.setInterval(50);
  connect(&user, &QTimer::timeout, &button, [&button] {
    QCoreApplication::postEvent(&button, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " "));
    QCoreApplication::postEvent(&button, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " "));
    button.update();
  });
  user.start();
  const int paintsBefore = button.paints;

  QElapsedTimer elapsed;
  elapsed.start();
  RunUpdateCheck(false, &button, 10, environment);
  const qint64 took = elapsed.elapsed();
  user.stop();

  QVERIFY(server.RequestLog().find(kSigPath) != std::string::npos);
  QVERIFY(boxes.texts.empty());  // an automatic check that fails says nothing
  // The server would go on for a minute; the check gave up at its deadline.
  QVERIFY2(took < 20000, qPrintable(QString("the check took %1 ms").arg(took)));
  QVERIFY2(button.clicks >= 5, qPrintable(QString("%1 clicks handled").arg(button.clicks)));
  QVERIFY2(button.paints - paintsBefore >= 5, qPrintable(QString("%1 paints").arg(button.paints - paintsBefore)));
}
