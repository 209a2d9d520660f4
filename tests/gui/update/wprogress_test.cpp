#include "tests/gui/update/wprogress_test.h"

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "update/gui/wprogress.h"

namespace {

constexpr uint32_t kStart = 100000;  // a realistic tick count, far from 0

struct FakeClock {
  uint32_t now = kStart;
  WProgress::TickSource Source() {
    return [this] { return now; };
  }
};

QString Text(const WProgress& progress) { return progress.Dialog()->findChild<QLabel*>("percentText")->text(); }
int Bar(const WProgress& progress) { return progress.Dialog()->findChild<QProgressBar*>("progressBar")->value(); }

// Whether events are dispatched: a queued call runs only when they are.
struct DispatchProbe {
  bool ran = false;
  void Arm() {
    ran = false;
    QMetaObject::invokeMethod(
        qApp, [this] { ran = true; }, Qt::QueuedConnection);
  }
};

}  // namespace

void WProgressTest::showsThePercentage_data() {
  QTest::addColumn<uint>("position");
  QTest::addColumn<uint>("range");
  QTest::addColumn<uint>("elapsed");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("bar");
  QTest::newRow("half, 200 ms later") << 375000u << 750000u << 200u << " 50.00%" << 50;
  QTest::newRow("final, 10 ms later") << 750000u << 750000u << 10u << "100.00%" << 100;
  QTest::newRow("a third") << 1u << 3u << 200u << " 33.33%" << 33;
  QTest::newRow("range 0 is final and counts as 1") << 0u << 0u << 10u << "  0.00%" << 0;
}

void WProgressTest::showsThePercentage() {
  QFETCH(uint, position);
  QFETCH(uint, range);
  QFETCH(uint, elapsed);
  FakeClock clock;
  WProgress progress(clock.Source());
  QVERIFY(!progress.Create(nullptr, 100));
  QCOMPARE(Text(progress), QString("0.00%"));
  QVERIFY(!progress.SetProgress(7, 100));  // the first report is never throttled
  QCOMPARE(Text(progress), QString("  7.00%"));
  clock.now += elapsed;
  DispatchProbe probe;
  probe.Arm();
  QVERIFY(!progress.SetProgress(position, range));
  QTEST(Text(progress), "text");
  QTEST(Bar(progress), "bar");
  QVERIFY(probe.ran);
}

void WProgressTest::throttlesRedrawsAndDispatch() {
  FakeClock clock;
  WProgress progress(clock.Source());
  progress.Create(nullptr, 100);
  progress.SetProgress(10, 100);
  DispatchProbe probe;

  clock.now += 174;
  probe.Arm();
  progress.SetProgress(20, 100);
  QCOMPARE(Text(progress), QString(" 10.00%"));
  QVERIFY(!probe.ran);

  // The throttled values were stored, so the same report later draws nothing
  // new; the next changed one does.
  clock.now += 175;
  progress.SetProgress(20, 100);
  QCOMPARE(Text(progress), QString(" 10.00%"));
  QVERIFY(probe.ran);
  clock.now += 175;
  progress.SetProgress(30, 100);
  QCOMPARE(Text(progress), QString(" 30.00%"));

  // The tick counter wrapping around does not stall the display.
  clock.now = 0xFFFFFFF0u;
  progress.SetProgress(40, 100);
  clock.now = 0xFFFFFFF0u + 200u;
  progress.SetProgress(50, 100);
  QCOMPARE(Text(progress), QString(" 50.00%"));
}

void WProgressTest::cancelStopsEverythingAndEnablesTheOwner() {
  QWidget owner;
  owner.show();
  FakeClock clock;
  WProgress progress(clock.Source());
  QVERIFY(!progress.Create(&owner, 100));
  QVERIFY(!owner.isEnabled());
  QVERIFY(progress.Dialog()->isVisible());
  QCOMPARE(progress.Dialog()->windowTitle(), QString("Downloading Software Update...."));

  QTest::mouseClick(progress.Dialog()->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
  QVERIFY(owner.isEnabled());
  QVERIFY(progress.Dialog() == nullptr);
  QVERIFY(progress.PumpMessages());
  QVERIFY(progress.SetProgress(1, 100));  // throttled
  clock.now += 1000;
  QVERIFY(progress.SetProgress(2, 100));
  QVERIFY(progress.SetProgress(100, 100));

  // A new Create starts afresh.
  QVERIFY(!progress.Create(&owner, 100));
  QVERIFY(!progress.SetProgress(3, 100));
  progress.Close();
}

void WProgressTest::onlyTheCancelWaysCancel_data() {
  QTest::addColumn<QString>("action");
  QTest::addColumn<bool>("cancels");
  QTest::newRow("Enter on the focused Cancel") << "return" << false;
  QTest::newRow("keypad Enter on the focused Cancel") << "enter" << false;
  QTest::newRow("Space on Cancel") << "space" << true;
  QTest::newRow("Escape") << "escape" << true;
  QTest::newRow("click on Cancel") << "click" << true;
  QTest::newRow("close box") << "close" << true;
}

void WProgressTest::onlyTheCancelWaysCancel() {
  QFETCH(QString, action);
  QWidget owner;
  owner.show();
  WProgress progress;
  QVERIFY(!progress.Create(&owner, 100));
  QDialog* dialog = progress.Dialog();
  auto* cancel = dialog->findChild<QPushButton*>("cancelButton");
  dialog->activateWindow();
  cancel->setFocus();
  QVERIFY(cancel->hasFocus());

  if (action == "return") QTest::keyClick(cancel, Qt::Key_Return);
  if (action == "enter") QTest::keyClick(cancel, Qt::Key_Enter, Qt::KeypadModifier);
  if (action == "space") QTest::keyClick(cancel, Qt::Key_Space);
  if (action == "escape") QTest::keyClick(cancel, Qt::Key_Escape);
  if (action == "click") QTest::mouseClick(cancel, Qt::LeftButton);
  if (action == "close") dialog->close();

  QTEST(progress.PumpMessages(), "cancels");
  QCOMPARE(progress.Dialog() == nullptr, progress.PumpMessages());
  QCOMPARE(owner.isEnabled(), progress.PumpMessages());
  progress.Close();
}

void WProgressTest::closeIsHarmlessTwiceAndOnDestruction() {
  QWidget owner;
  {
    WProgress progress;
    progress.Create(&owner, 100);
    QVERIFY(!owner.isEnabled());
    progress.Close();
    QVERIFY(owner.isEnabled());
    progress.Close();
    QVERIFY(progress.PumpMessages());
    progress.Create(&owner, 100);
  }
  QVERIFY(owner.isEnabled());
}
