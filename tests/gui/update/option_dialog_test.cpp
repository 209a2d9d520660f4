#include "tests/gui/update/option_dialog_test.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "update/gui/option_dialog.h"

namespace {

// Runs the dialog and acts on it, as a person would, once it is up.
bool RunAndAct(int& choice, const std::function<void(QDialog&)>& act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog != nullptr);
    act(*dialog);
  });
  return RunOptionDialog(nullptr, choice);
}

QRadioButton* Radio(QDialog& dialog, const char* name) { return dialog.findChild<QRadioButton*>(name); }

void Press(QDialog& dialog, QDialogButtonBox::StandardButton which) {
  dialog.findChild<QDialogButtonBox*>()->button(which)->click();
}

}  // namespace

void OptionDialogTest::opensOnTheGivenChoice_data() {
  QTest::addColumn<int>("choice");
  QTest::addColumn<QString>("checked");
  QTest::newRow("0") << 0 << "checkOnce";
  QTest::newRow("1") << 1 << "notifyAutomatically";
  QTest::newRow("2") << 2 << "neverCheck";
  QTest::newRow("out of range") << 5 << "checkOnce";
}

void OptionDialogTest::opensOnTheGivenChoice() {
  QFETCH(int, choice);
  QFETCH(QString, checked);
  QString seen;
  RunAndAct(choice, [&seen](QDialog& dialog) {
    for (auto* radio : dialog.findChildren<QRadioButton*>()) {
      if (radio->isChecked()) seen = radio->objectName();
    }
    Press(dialog, QDialogButtonBox::Cancel);
  });
  QCOMPARE(seen, checked);
}

void OptionDialogTest::okWritesTheChoiceCancelKeepsIt() {
  const struct {
    const char* pick;
    int expected;
  } picks[] = {{"checkOnce", 0}, {"notifyAutomatically", 1}, {"neverCheck", 2}};
  for (const auto& pick : picks) {
    int choice = 1;
    const bool accepted = RunAndAct(choice, [&pick](QDialog& dialog) {
      Radio(dialog, pick.pick)->click();
      Press(dialog, QDialogButtonBox::Ok);
    });
    QVERIFY(accepted);
    QCOMPARE(choice, pick.expected);
  }

  int choice = 1;
  QVERIFY(!RunAndAct(choice, [](QDialog& dialog) {
    Radio(dialog, "neverCheck")->click();
    Press(dialog, QDialogButtonBox::Cancel);
  }));
  QCOMPARE(choice, 1);

  QVERIFY(!RunAndAct(choice, [](QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); }));
  QCOMPARE(choice, 1);
}

void OptionDialogTest::showsTheDesignedTexts() {
  int choice = 0;
  QString title;
  QStringList texts;
  RunAndAct(choice, [&](QDialog& dialog) {
    title = dialog.windowTitle();
    for (auto* label : dialog.findChildren<QLabel*>()) texts << label->text();
    for (auto* radio : dialog.findChildren<QRadioButton*>()) texts << radio->text();
    Press(dialog, QDialogButtonBox::Cancel);
  });
  QCOMPARE(title, QString("Automatic Updates"));
  QCOMPARE(texts, QStringList({
                      "This Tarnwell product can notify you when software",
                      "updates are available , keeping you up to date with the latest",
                      "functionality.  Please choose an option:",
                      "Check for software updates just once, right now",
                      "Notify me automatically only when a new update is available",
                      "Do not check for updates (not recommended)",
                  }));
}
