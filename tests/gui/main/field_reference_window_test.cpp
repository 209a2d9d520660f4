// An entry whose fields refer to another entry: the list shows and the
// copy commands copy the values referred to, the safe keeps the reference
// as written, and the edit dialog says what the fields refer to.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "app/command_ids.h"
#include "app/gui/entry_list_view.h"
#include "app/gui/main_window.h"
#include "app/gui/run_entry_dialog.h"
#include "gui_test_support.h"
#include "tests/unit/safe/reference_to.h"

namespace {

int IndexOf(Quillbox& app, std::string_view title) {
  const std::vector<Entry>& entries = app.GetEntries();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].title.view() == title) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

class FieldReferenceWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void ReferencesAreShownAndCopiedAsTheirValuesAndKeptAsWritten();
};

void FieldReferenceWindowTest::ReferencesAreShownAndCopiedAsTheirValuesAndKeptAsWritten() {
  GuiTestWorld world;
  world.App().SetSortOrder(0);
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "s3cr3t"}, {"Mail", "mailuser", "pa55"}});
  MainWindow& window = world.Window();
  const int bank = IndexOf(world.App(), "Bank"), mail = IndexOf(world.App(), "Mail");
  const Entry& target = world.App().GetEntries()[static_cast<size_t>(bank)];
  Entry edited = world.App().GetEntries()[static_cast<size_t>(mail)];
  const std::string password = "A" + ReferenceTo('P', target) + "BC";
  edited.userName = ReferenceTo('U', target);
  edited.password = password;
  QVERIFY(world.App().EditEntry(mail, std::move(edited)));

  QCOMPARE(ColumnTexts(window, 1), std::vector<std::string>({"jdoe", "jdoe"}));
  window.ListView()->clearSelection();
  window.ListView()->selectionModel()->select(window.ListView()->model()->index(1, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
  window.RunCommand(kCmdCopyPassword);
  QCOMPARE(QGuiApplication::clipboard()->text(), QString("As3cr3tBC"));
  window.RunCommand(kCmdCopyUserName);
  QCOMPARE(QGuiApplication::clipboard()->text(), QString("jdoe"));
  QCOMPARE(world.App().GetEntries()[static_cast<size_t>(mail)].password.view(), password);

  QString note, shownPassword;
  OnNextModalDialog(window, [&](QDialog& dialog) {
    auto* label = dialog.findChild<QLabel*>("referenceNote");
    if (label != nullptr && label->isVisibleTo(&dialog)) note = label->text();
    shownPassword = dialog.findChild<QLineEdit*>("passwordEdit")->text();
    dialog.reject();
  });
  {
    const EntryId id = world.App().GetEntries()[static_cast<size_t>(mail)].id;
    RunEntryDialogFor(world.App(), &window, &id);
  }
  QCOMPARE(shownPassword, QString::fromStdString(password));
  QCOMPARE(note, QString("The user name and password refer to the entry \"Bank\": they are shown, copied and typed as "
                         "that entry's values."));
  // An entry without references says nothing.
  note = "unchanged";
  OnNextModalDialog(window, [&](QDialog& dialog) {
    auto* label = dialog.findChild<QLabel*>("referenceNote");
    if (label != nullptr && !label->isVisibleTo(&dialog)) note.clear();
    dialog.reject();
  });
  {
    const EntryId id = world.App().GetEntries()[static_cast<size_t>(bank)].id;
    RunEntryDialogFor(world.App(), &window, &id);
  }
  QCOMPARE(note, QString());
}

QTEST_MAIN(FieldReferenceWindowTest)
#include "field_reference_window_test.moc"
