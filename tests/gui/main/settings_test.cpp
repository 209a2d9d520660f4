// File > "&Settings..." and the settings files: a change takes effect while
// the program runs, whichever way it is made.
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "app/command_ids.h"
#include "app/gui/main_window.h"
#include "gui_test_support.h"
#include "settings/setting_catalogue.h"

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void TheDialogShowsEveryChangeableSettingWithinItsLimits();
  void AcceptedChangesAreWrittenAndTakeEffectAtOnce();
  void CancelWritesNothing();
  void AnEditedSettingsFileIsPickedUpWhileRunning();
};

namespace {

bool WrittenToUserHive(Quillbox& app, const char* name) {
  int value = 0;
  return app.ReadInt(WHive::CurrentUser, name, &value);
}

}  // namespace

void SettingsTest::TheDialogShowsEveryChangeableSettingWithinItsLimits() {
  GuiTestWorld world;
  bool checked = false;
  OnNextModalDialog(world.Window(), [&](QDialog& dialog) {
    for (const SettingSpec& spec : SettingCatalogue()) {
      QWidget* editor = dialog.findChild<QWidget*>(QString::fromLatin1(spec.name));
      QCOMPARE(editor != nullptr, spec.group != SettingGroup::kKept);
      if (auto* spin = qobject_cast<QSpinBox*>(editor)) {
        QCOMPARE(spin->minimum(), spec.minimum);
        QCOMPARE(spin->maximum(), spec.maximum);
        QCOMPARE(spin->value(), spec.defaultNumber);
      }
    }
    checked = true;
    dialog.reject();
  });
  world.Window().RunCommand(kCmdSettings);
  QVERIFY(checked);
}

void SettingsTest::AcceptedChangesAreWrittenAndTakeEffectAtOnce() {
  GuiTestWorld world;
  QSignalSpy applied(&world.Window(), &MainWindow::settingsChanged);
  OnNextModalDialog(world.Window(), [](QDialog& dialog) {
    dialog.findChild<QSpinBox*>(kClipboardClearSecondsSetting.name)->setValue(7);
    dialog.findChild<QCheckBox*>(kLockOnScreenLockSetting.name)->setChecked(false);
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  world.Window().RunCommand(kCmdSettings);
  QCOMPARE(world.App().GetClipboardClearSeconds(), 7);
  QVERIFY(!world.App().GetLockOnScreenLock());
  QVERIFY(applied.count() >= 1);
  // What the user left alone stays unwritten, so its default can still change.
  QVERIFY(WrittenToUserHive(world.App(), kClipboardClearSecondsSetting.name));
  QVERIFY(!WrittenToUserHive(world.App(), kLockAfterSecondsSetting.name));
}

void SettingsTest::CancelWritesNothing() {
  GuiTestWorld world;
  OnNextModalDialog(world.Window(), [](QDialog& dialog) {
    dialog.findChild<QSpinBox*>(kLockAfterSecondsSetting.name)->setValue(9);
    dialog.reject();
  });
  world.Window().RunCommand(kCmdSettings);
  QCOMPARE(world.App().GetLockAfterSeconds(), kDefaultLockAfterSeconds);
  QVERIFY(!WrittenToUserHive(world.App(), kLockAfterSecondsSetting.name));
}

// Another program (here a second settings store) writes the file.
void SettingsTest::AnEditedSettingsFileIsPickedUpWhileRunning() {
  GuiTestWorld world;
  Quillbox editor;
  editor.SetInstance(nullptr);
  editor.SetSettingInt(kLockAfterSecondsSetting.name, 42);
  QTRY_COMPARE_WITH_TIMEOUT(world.App().GetLockAfterSeconds(), 42, 10000);
  editor.SetSettingInt(kLockAfterSecondsSetting.name, 43);
  QTRY_COMPARE_WITH_TIMEOUT(world.App().GetLockAfterSeconds(), 43, 10000);
}

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
