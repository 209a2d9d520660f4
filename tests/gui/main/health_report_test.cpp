// Passwords > "Password &Health..." and "Check Against a Breach List...",
// the entry dialog's exclusion checkbox and the safe password's strength,
// through the real dialogs.
#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "app/command_ids.h"
#include "app/gui/create_user_dialog.h"
#include "app/gui/custom_fields_table.h"
#include "app/gui/entry_details_panel.h"
#include "health/gui/health_report_dialog.h"
#include "app/gui/main_window.h"
#include "app/gui/set_password_dialog.h"
#include "gui_test_support.h"
#include "health/report_exclusion.h"
#include "tests/unit/core/scratch_dir.h"
#include "tests/unit/health/breach_file.h"

namespace {

constexpr char kLeaked[] = "Tr0ub4dor&3-Leaked!x";
constexpr char kStrong[] = "vivid-Quartz-harbor-71-Mosaic!";

// Runs action on the next modal dialog of type T, letting others pass: a
// file dialog may stay shown a moment after it accepted.
template <typename T>
void OnNextDialogOf(QObject& context, std::function<void(T& dialog)> action) {
  auto* timer = new QTimer(&context);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, action = std::move(action)] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    action(*dialog);
  });
  timer->start();
}

std::vector<std::string> Column(QTableWidget& table, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < table.rowCount(); ++row) texts.push_back(table.item(row, column)->text().toStdString());
  return texts;
}

int RowOf(QTableWidget& table, const char* title) {
  for (int row = 0; row < table.rowCount(); ++row) {
    if (table.item(row, 0)->text() == title) return row;
  }
  return -1;
}

void ClickHeader(QTableWidget& table, int column) {
  QHeaderView* header = table.horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, 5));
}

QString WriteBreachList(const QString& folder) {
  const QString path = folder + "/pwned.txt";
  WriteTextFile(path.toStdString(), BreachFileText(SortedBreachLines({kLeaked}, 200)));
  return path;
}

size_t MessagesContaining(GuiTestWorld& world, const char* text) {
  size_t count = 0;
  for (const GuiTestWorld::Message& message : world.Messages()) count += message.text.find(text) != std::string::npos;
  return count;
}

}  // namespace

class HealthReportTest : public QObject {
  Q_OBJECT

 private slots:
  void ItemsAreThereOnlyWhileASafeIsOpen();
  void ReportStartsWorstFirstSortsAndOpensAnEntry();
  void ABreachListIsAskedForOnceAndRemembered();
  void AMissingBreachListIsSaidOnceABadOneEachTime();
  void ExclusionCheckboxStandsForTheField();
  void SafePasswordStrengthShowsAsTypedAndWarnsWithoutRefusing();
};

void HealthReportTest::ItemsAreThereOnlyWhileASafeIsOpen() {
  GuiTestWorld world;
  MainWindow& window = world.Window();
  QCOMPARE(window.MenuAction(kCmdPasswordHealth)->text(), QString("Password &Health..."));
  QCOMPARE(window.MenuAction(kCmdCheckBreachList)->text(), QString("Check Against a Breach List..."));
  QVERIFY(!window.MenuAction(kCmdPasswordHealth)->isEnabled());
  world.CreateUserWithEntries("alice", "pw", {});
  QVERIFY(window.MenuAction(kCmdPasswordHealth)->isEnabled());
  QVERIFY(window.MenuAction(kCmdCheckBreachList)->isEnabled());
  window.RunCommand(kCmdLogOut);
  QVERIFY(!window.MenuAction(kCmdCheckBreachList)->isEnabled());
}

void HealthReportTest::ReportStartsWorstFirstSortsAndOpensAnEntry() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw",
                              {{"Strong", "me", kStrong}, {"Weak", "me", "secret"}, {"Leaked", "me", kLeaked}});
  world.App().SetSettingString(kBreachListFileSetting.name, WriteBreachList(world.Folder()).toUtf8().constData());
  std::vector<std::string> worstFirst, byTitle, byStrength, afterEdit;
  std::string breached, editedTitle;
  OnNextDialogOf<HealthReportDialog>(world.Window(), [&](HealthReportDialog& dialog) {
    QTableWidget& table = *dialog.findChild<QTableWidget*>("healthTable");
    dialog.resize(800, 400);
    worstFirst = Column(table, 0);
    breached = table.item(0, 5)->text().toStdString();
    ClickHeader(table, 0);
    byTitle = Column(table, 0);
    ClickHeader(table, 2);
    byStrength = Column(table, 0);
    // A double-click on Weak opens its entry; a new password goes back to
    // the safe and into the table.
    OnNextModalDialog(dialog, [&](QDialog& entryDialog) {
      editedTitle = entryDialog.findChild<QLineEdit*>("descriptionEdit")->text().toStdString();
      entryDialog.findChild<QLineEdit*>("passwordEdit")->setText(QString(kStrong) + "-2");
      entryDialog.accept();
    });
    const QRect weak = table.visualItemRect(table.item(RowOf(table, "Weak"), 0));
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, weak.center());
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, weak.center());
    afterEdit = Column(table, 0);
    dialog.accept();
  });
  world.Window().RunCommand(kCmdPasswordHealth);
  QCOMPARE(worstFirst, (std::vector<std::string>{"Leaked", "Weak", "Strong"}));
  QCOMPARE(breached, std::string("1000"));
  QCOMPARE(byTitle, (std::vector<std::string>{"Leaked", "Strong", "Weak"}));
  QCOMPARE(byStrength.front(), std::string("Weak"));
  QCOMPARE(editedTitle, std::string("Weak"));
  QCOMPARE(afterEdit, (std::vector<std::string>{"Leaked", "Strong", "Weak"}));
  QCOMPARE(std::string(world.App().GetEntry(1)->password.view()), kStrong + std::string("-2"));
  QCOMPARE(world.Messages().size(), size_t{0});
}

void HealthReportTest::ABreachListIsAskedForOnceAndRemembered() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Leaked", "me", kLeaked}});
  const QString path = WriteBreachList(world.Folder());
  std::string state, breached;
  auto capture = [&](HealthReportDialog& dialog) {
    state = dialog.findChild<QLabel*>("breachListState")->text().toStdString();
    breached = dialog.findChild<QTableWidget*>("healthTable")->item(0, 5)->text().toStdString();
    dialog.accept();
  };
  OnNextDialogOf<QFileDialog>(world.Window(), [&](QFileDialog& files) { KeepAccepting(files, path); });
  OnNextDialogOf<HealthReportDialog>(world.Window(), capture);
  world.Window().RunCommand(kCmdCheckBreachList);
  QCOMPARE(RememberedBreachList(world.App()), path.toStdString());
  QCOMPARE(breached, std::string("1000"));
  QCOMPARE(state, "Checked against " + path.toStdString() + ".");

  // The next report takes the remembered list without asking.
  breached.clear();
  OnNextDialogOf<HealthReportDialog>(world.Window(), capture);
  world.Window().RunCommand(kCmdPasswordHealth);
  QCOMPARE(breached, std::string("1000"));
}

void HealthReportTest::AMissingBreachListIsSaidOnceABadOneEachTime() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Leaked", "me", kLeaked}, {"Other", "me", "secret"}});
  int rows = 0;
  auto open = [&] {
    OnNextDialogOf<HealthReportDialog>(world.Window(), [&](HealthReportDialog& dialog) {
      rows = dialog.findChild<QTableWidget*>("healthTable")->rowCount();
      dialog.accept();
    });
    world.Window().RunCommand(kCmdPasswordHealth);
  };
  world.App().SetSettingString(kBreachListFileSetting.name, (world.Folder() + "/gone.txt").toUtf8().constData());
  open();
  open();
  QCOMPARE(rows, 2);
  QCOMPARE(MessagesContaining(world, "gone.txt does not exist."), size_t{1});

  const QString unsorted = world.Folder() + "/unsorted.txt";
  WriteTextFile(unsorted.toStdString(), std::string(40, 'F') + ":1\n" + std::string(40, 'A') + ":2\n");
  world.App().SetSettingString(kBreachListFileSetting.name, unsorted.toUtf8().constData());
  open();
  open();
  QCOMPARE(rows, 2);
  QCOMPARE(MessagesContaining(world, "unsorted.txt is not sorted"), size_t{2});
}

void HealthReportTest::ExclusionCheckboxStandsForTheField() {
  Entry entry;
  entry.SetField("A", "1", false);
  entry.SetField(kExcludeFromReportsField, kExcludeFromReportsValue, false);
  entry.SetField("B", "2", false);
  EntryDetailsPanel panel;
  panel.Load(entry);
  auto* exclude = panel.findChild<QCheckBox*>("excludeFromReportsCheck");
  QVERIFY(exclude->isChecked());
  QCOMPARE(panel.findChild<CustomFieldsTable*>("customFieldsTable")->rowCount(), 2);
  Entry stored = entry;
  QCOMPARE(panel.Store(stored), nullptr);
  QCOMPARE(stored.fields, entry.fields);  // in its place, nothing changed

  exclude->setChecked(false);
  QCOMPARE(panel.Store(stored), nullptr);
  QVERIFY(!IsExcludedFromReports(stored));
  QCOMPARE(stored.fields.size(), size_t{2});

  Entry plain;
  plain.SetField(kExcludeFromReportsField, "false", false);
  panel.Load(plain);
  QVERIFY(!exclude->isChecked());
  QCOMPARE(panel.findChild<CustomFieldsTable*>("customFieldsTable")->rowCount(), 1);
  exclude->setChecked(true);
  QCOMPARE(panel.Store(plain), nullptr);
  QVERIFY(IsExcludedFromReports(plain));
  QCOMPARE(plain.fields.size(), size_t{1});
}

void HealthReportTest::SafePasswordStrengthShowsAsTypedAndWarnsWithoutRefusing() {
  GuiTestWorld world;
  CreateUserDialog create(world.App(), &world.Window());
  auto* hint = create.findChild<QLabel*>("strengthLabel");
  QCOMPARE(hint->text(), QString());
  create.findChild<QLineEdit*>("nameEdit")->setText("carol");
  create.findChild<QLineEdit*>("passwordEdit")->setText("x");
  QVERIFY2(hint->text().startsWith("Strength: poor (") || hint->text().startsWith("Strength: bad ("),
           qPrintable(hint->text()));
  QVERIFY(hint->text().contains("harder to guess"));
  create.findChild<QLineEdit*>("passwordEdit")->setText(kStrong);
  QVERIFY2(hint->text().contains("excellent") || hint->text().contains("good"), qPrintable(hint->text()));
  QVERIFY(!hint->text().contains("harder to guess"));
  // A weak one is taken: the warning is advice.
  create.findChild<QLineEdit*>("passwordEdit")->setText("x");
  create.findChild<QLineEdit*>("confirmEdit")->setText("x");
  create.accept();
  QVERIFY(world.App().IsLoggedIn());
  QCOMPARE(std::string(world.App().GetUserName()), std::string("carol"));

  SetPasswordDialog change(world.App(), &world.Window());
  change.findChild<QLineEdit*>("passwordEdit")->setText("carol1");
  QVERIFY2(change.findChild<QLabel*>("strengthLabel")->text().contains("harder to guess"),
           qPrintable(change.findChild<QLabel*>("strengthLabel")->text()));
}

QTEST_MAIN(HealthReportTest)
#include "health_report_test.moc"
