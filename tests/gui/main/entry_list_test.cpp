#include <QAction>
#include <QDateTime>
#include <QDialog>
#include <QMenu>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStatusBar>
#include <QtTest>

#include "app/command_ids.h"
#include "app/gui/entry_list_view.h"
#include "app/gui/entry_sort.h"
#include "app/gui/main_window.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/merge_by_id.h"
#include "safe/safe_store.h"
#include "gui_test_support.h"
#include "tests/unit/safe/safe_test_dir.h"

using Rows = std::vector<std::string>;

class EntryListTest : public QObject {
  Q_OBJECT

 private slots:
  void CompareEntriesIsBytewiseWithoutSecondKey_data();
  void CompareEntriesIsBytewiseWithoutSecondKey();
  void ColumnClicksCycleTheOrder_data();
  void ColumnClicksCycleTheOrder();
  void ListStartsByUserNameAndFollowsColumnClicks();
  void StoredOrderOutOfRangeIsClampedAtFirstSort();
  void MasksFollowTheSelection();
  void SelectAllRevealsEveryPassword();
  void LegacyBytesShowAsWindows1252();
  void EntryChangeClearsSelectionAndMasksAll();
  void EditAndDeleteFollowTheSelection();
  void ChangeOnDiskKeepsSortAndSelection();
  void SafeThatNoLongerOpensAsksForThePassword();
  void ExtraColumnsAreChosenSortedAndRemembered();
};

void EntryListTest::CompareEntriesIsBytewiseWithoutSecondKey_data() {
  QTest::addColumn<QByteArray>("a");
  QTest::addColumn<QByteArray>("b");
  QTest::addColumn<int>("order");
  QTest::addColumn<int>("expected");
  QTest::newRow("capital Z before small a") << QByteArray("Zebra") << QByteArray("apple") << 0 << -1;
  QTest::newRow("prefix first") << QByteArray("Bank") << QByteArray("Banking") << 2 << -1;
  QTest::newRow("equal") << QByteArray("same") << QByteArray("same") << 4 << 0;
  QTest::newRow("descending negates") << QByteArray("Zebra") << QByteArray("apple") << 1 << 1;
  QTest::newRow("bytes above 0x7F after ASCII") << QByteArray("\xE4x") << QByteArray("zz") << 0 << 1;
  QTest::newRow("empty before text") << QByteArray("") << QByteArray("a") << 2 << -1;
  QTest::newRow("order out of range") << QByteArray("a") << QByteArray("b") << 12 << 0;
  QTest::newRow("only 259 characters count") << QByteArray(259, 'x') + "a" << QByteArray(259, 'x') + "b" << 0 << 0;
}

void EntryListTest::CompareEntriesIsBytewiseWithoutSecondKey() {
  QFETCH(QByteArray, a);
  QFETCH(QByteArray, b);
  QFETCH(int, order);
  QFETCH(int, expected);
  QCOMPARE(CompareEntries(a.toStdString(), b.toStdString(), order), expected);
}

void EntryListTest::ColumnClicksCycleTheOrder_data() {
  QTest::addColumn<int>("order");
  QTest::addColumn<int>("column");
  QTest::addColumn<int>("expected");
  QTest::newRow("first click ascending") << 2 << 0 << 0;
  QTest::newRow("second click descending") << 0 << 0 << 1;
  QTest::newRow("third click ascending") << 1 << 0 << 0;
  QTest::newRow("username reverses") << 2 << 1 << 3;
  QTest::newRow("password starts ascending") << 3 << 2 << 4;
  QTest::newRow("password reverses") << 4 << 2 << 5;
  QTest::newRow("re-sort keeps") << 3 << kResortColumn << 3;
  QTest::newRow("re-sort clamps high") << 15 << kResortColumn << 11;
  QTest::newRow("web address starts ascending") << 2 << 3 << 6;
  QTest::newRow("tags reverse") << 8 << 4 << 9;
  QTest::newRow("modified starts ascending") << 9 << 5 << 10;
  QTest::newRow("re-sort clamps low") << -4 << kResortColumn << 0;
  QTest::newRow("click from out of range") << 9 << 1 << 2;
}

void EntryListTest::ColumnClicksCycleTheOrder() {
  QFETCH(int, order);
  QFETCH(int, column);
  QFETCH(int, expected);
  QCOMPARE(NextSortOrder(order, column), expected);
}

void EntryListTest::ListStartsByUserNameAndFollowsColumnClicks() {
  GuiTestWorld world;
  world.App().SetSortOrder(kDefaultSortOrder);
  world.CreateUserWithEntries("alice", "pw", {{"b-desc", "zed", "1"}, {"a-desc", "Zed", "3"}, {"c-desc", "amy", "2"}});
  QCOMPARE(ColumnTexts(world.Window(), 1), (Rows{"Zed", "amy", "zed"}));

  // A click on the "Description" heading.
  QHeaderView* header = world.Window().ListView()->horizontalHeader();
  world.Window().show();
  QVERIFY(QTest::qWaitForWindowExposed(&world.Window()));
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
  QCOMPARE(world.App().GetSortOrder(), 0);
  QCOMPARE(ColumnTexts(world.Window(), 0), (Rows{"a-desc", "b-desc", "c-desc"}));
  world.Window().SortList(0);
  QCOMPARE(ColumnTexts(world.Window(), 0), (Rows{"c-desc", "b-desc", "a-desc"}));

  // An entry added while sorted shows at its sorted place.
  QVERIFY(world.App().AddEntry("bb-desc", "x", "y"));
  QCOMPARE(ColumnTexts(world.Window(), 0), (Rows{"c-desc", "bb-desc", "b-desc", "a-desc"}));
}

void EntryListTest::StoredOrderOutOfRangeIsClampedAtFirstSort() {
  GuiTestWorld world;
  world.App().SetSortOrder(15);
  world.CreateUserWithEntries("alice", "pw", {{"d1", "u1", "a"}, {"d2", "u2", "c"}, {"d3", "u3", "b"}});
  QCOMPARE(world.App().GetSortOrder(), 11);
  // Newest modified first; entries of the same second keep the newest first.
  world.Window().SelectAllEntries();
  QCOMPARE(ColumnTexts(world.Window(), 2), (Rows{"b", "c", "a"}));
}

void EntryListTest::MasksFollowTheSelection() {
  GuiTestWorld world;
  world.App().SetSortOrder(0);
  world.CreateUserWithEntries("alice", "pw", {{"a", "u", "first"}, {"b", "u", "second"}});
  QCOMPARE(ColumnTexts(world.Window(), 2), (Rows{"******", "******"}));

  EntryListView* list = world.Window().ListView();
  list->selectRow(0);
  QCOMPARE(ColumnTexts(world.Window(), 2), (Rows{"first", "******"}));
  list->selectRow(1);
  QCOMPARE(ColumnTexts(world.Window(), 2), (Rows{"******", "second"}));
}

void EntryListTest::SelectAllRevealsEveryPassword() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"a", "u1", "p1"}, {"b", "u2", "p2"}, {"c", "u3", "p3"}});
  world.Window().show();
  QVERIFY(QTest::qWaitForWindowExposed(&world.Window()));
  world.Window().ListView()->setFocus();
  QTest::keyClick(world.Window().ListView(), Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(ColumnTexts(world.Window(), 2), (Rows{"p1", "p2", "p3"}));
}

// The same characters the filter matches and every export writes.
void EntryListTest::LegacyBytesShowAsWindows1252() {
  GuiTestWorld world;
  world.App().SetSortOrder(0);
  world.CreateUserWithEntries("alice", "pw", {{"\x80uro \x93q\x94", "Caf\xE9", "\x9Fx"}});
  world.Window().SelectAllEntries();
  QCOMPARE(ColumnTexts(world.Window(), 0), (Rows{"\xE2\x82\xAC"
                                                 "uro \xE2\x80\x9Cq\xE2\x80\x9D"}));
  QCOMPARE(ColumnTexts(world.Window(), 1), (Rows{"Caf\xC3\xA9"}));
  QCOMPARE(ColumnTexts(world.Window(), 2), (Rows{"\xC5\xB8x"}));
}

void EntryListTest::EntryChangeClearsSelectionAndMasksAll() {
  GuiTestWorld world;
  world.App().SetSortOrder(0);
  world.CreateUserWithEntries("alice", "pw", {{"a", "u", "p1"}, {"b", "u", "p2"}});
  world.Window().SelectAllEntries();
  QVERIFY(world.App().EditEntry(0, "a2", "u", "p1"));
  QVERIFY(!world.Window().ListView()->selectionModel()->hasSelection());
  QCOMPARE(ColumnTexts(world.Window(), 2), (Rows{"******", "******"}));
  QVERIFY(!world.Window().MenuAction(kCmdEditEntry)->isEnabled());
}

void EntryListTest::EditAndDeleteFollowTheSelection() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"a", "u", "p1"}, {"b", "u", "p2"}});
  MainWindow& window = world.Window();
  QVERIFY(!window.MenuAction(kCmdEditEntry)->isEnabled());
  QVERIFY(!window.MenuAction(kCmdDeleteEntries)->isEnabled());
  window.ListView()->selectRow(1);
  QVERIFY(window.MenuAction(kCmdEditEntry)->isEnabled());
  QVERIFY(window.MenuAction(kCmdDeleteEntries)->isEnabled());
  window.ListView()->clearSelection();
  QVERIFY(!window.MenuAction(kCmdEditEntry)->isEnabled());
  QVERIFY(!window.MenuAction(kCmdDeleteEntries)->isEnabled());
}

// Another program rewrites the open safe: the window shows the new list in
// the same order, with the rows still there still selected, and says so.
void EntryListTest::ChangeOnDiskKeepsSortAndSelection() {
  GuiTestWorld world;
  world.App().SetSortOrder(1);  // by description, descending
  world.CreateUserWithEntries("alice", "pw", {{"b", "u", "p1"}, {"d", "u", "p2"}, {"c", "u", "p3"}});
  MainWindow& window = world.Window();
  window.ListView()->selectRow(1);  // "c"
  QCOMPARE(ColumnTexts(window, 0), (Rows{"d", "c", "b"}));

  // Another program kept b and c (their ids too), dropped d, added e and a.
  EntryList newer;
  newer.entries = world.App().GetEntries();
  const Entry d = newer.entries[1];
  DeleteEntryById(newer, d.id, d.modified);
  for (const char* line : {"e\tu\tp4", "a\tu\tp5"}) AddLine(newer, line);
  QVERIFY(SaveSafe("alice", "pw", newer));
  window.LookAtSafeOnDisk();

  QCOMPARE(ColumnTexts(window, 0), (Rows{"e", "c", "b", "a"}));
  QCOMPARE(ColumnTexts(window, 2), (Rows{"******", "p3", "******", "******"}));
  QCOMPARE(window.statusBar()->currentMessage(), QString(kSafeReloadedNote));
  QVERIFY(world.Messages().empty());
}

void EntryListTest::SafeThatNoLongerOpensAsksForThePassword() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"a", "u", "p1"}});
  // A lock asks at once only while a window of ours has the keyboard.
  world.Window().show();
  world.Window().activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&world.Window()));
  EntryList other;
  AddLine(other, "x\ty\tz");
  QVERIFY(SaveSafe("alice", "changed elsewhere", other));
  QString asked;
  OnNextModalDialog(world.Window(), [&asked](QDialog& dialog) {
    asked = dialog.windowTitle();
    dialog.reject();
  });
  // Looked at again for a moment first, as a half-written file would be.
  QTRY_COMPARE_WITH_TIMEOUT(asked, QString("Enter Password"), 10000);
  QVERIFY(!world.App().IsLoggedIn());
  QCOMPARE(world.Window().statusBar()->currentMessage(), QString(kSafeNoLongerOpensNote));
  QVERIFY(ColumnTexts(world.Window(), 0).empty());
  QVERIFY(world.Messages().empty());
  EntryList entries;
  QVERIFY(LoadSafe("alice", "changed elsewhere", entries));
}

namespace {

QStringList ShownColumns(MainWindow& window) {
  QStringList shown;
  const QHeaderView* header = window.ListView()->horizontalHeader();
  for (int column = 0; column < header->count(); ++column) {
    if (!header->isSectionHidden(column)) {
      shown << window.ListView()->model()->headerData(column, Qt::Horizontal).toString();
    }
  }
  return shown;
}

void ToggleColumn(MainWindow& window, const QString& title) {
  for (QAction* action : window.ColumnMenu()->actions()) {
    if (action->text() == title) action->trigger();
  }
}

Entry EntryWith(const char* title, const char* url, std::initializer_list<const char*> tags) {
  Entry entry;
  entry.title = title;
  entry.password = "pw1";
  entry.url = url;
  for (const char* tag : tags) entry.AddTag(tag);
  return entry;
}

}  // namespace

void EntryListTest::ExtraColumnsAreChosenSortedAndRemembered() {
  GuiTestWorld world;
  world.App().SetSortOrder(0);
  world.CreateUserWithEntries("alice", "pw", {});
  QVERIFY(world.App().AddEntry(EntryWith("a", "https://b.example", {"Work", "Home"})));
  QVERIFY(world.App().AddEntry(EntryWith("b", "https://a.example", {})));
  MainWindow& window = world.Window();
  QCOMPARE(ShownColumns(window), (QStringList{"Description", "Username", "Password"}));

  ToggleColumn(window, "Web Address");
  ToggleColumn(window, "Tags");
  ToggleColumn(window, "Modified");
  QCOMPARE(ShownColumns(window),
           (QStringList{"Description", "Username", "Password", "Web Address", "Tags", "Modified"}));
  QCOMPARE(ColumnTexts(window, 3), (Rows{"https://b.example", "https://a.example"}));
  QCOMPARE(ColumnTexts(window, 4), (Rows{"Home, Work", ""}));
  const QString modified =
      QDateTime::fromSecsSinceEpoch(world.App().GetEntry(0)->modified).toLocalTime().toString("yyyy-MM-dd HH:mm");
  QCOMPARE(QString::fromStdString(ColumnTexts(window, 5)[0]), modified);
  // The masked password stays masked beside them.
  QCOMPARE(ColumnTexts(window, 2), (Rows{"******", "******"}));

  window.SortList(3);
  QCOMPARE(ColumnTexts(window, 0), (Rows{"b", "a"}));
  window.SortList(4);
  QCOMPARE(ColumnTexts(window, 0), (Rows{"b", "a"}));  // no tags sorts first
  window.SortList(4);
  QCOMPARE(ColumnTexts(window, 0), (Rows{"a", "b"}));

  // A window started again shows the same columns.
  ToggleColumn(window, "Modified");
  {
    Quillbox again;
    again.SetInstance(nullptr);
    MainWindow restarted(again);
    QCOMPARE(ShownColumns(restarted), (QStringList{"Description", "Username", "Password", "Web Address", "Tags"}));
  }
  ToggleColumn(window, "Web Address");
  ToggleColumn(window, "Tags");
  {
    Quillbox again;
    again.SetInstance(nullptr);
    MainWindow restarted(again);
    QCOMPARE(ShownColumns(restarted), (QStringList{"Description", "Username", "Password"}));
  }
}

QTEST_MAIN(EntryListTest)
#include "entry_list_test.moc"
