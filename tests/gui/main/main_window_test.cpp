#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenuBar>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/command_ids.h"
#include "app/gui/entry_list_view.h"
#include "app/gui/login_dialog.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_column_view.h"
#include "app/gui/qt_placement_window.h"
#include "app/quillbox_messages.h"
#include "gui_test_support.h"
#include "safe/safe_folder.h"

using Rows = std::vector<std::string>;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void MenuItemsHaveTheirTextsAndStartingStates_data();
  void MenuItemsHaveTheirTextsAndStartingStates();
  void FileMenuKeepsTheDesignedOrderAndEndsWithExit();
  void MnemonicsAreUniqueWithinEachMenu();
  void HelpPageNamesEveryMenuItem();
  void LogInStateSwitchesTheMenu();
  void AcceleratorsWorkWhileTheirItemsAreGreyed();
  void LogInCommandDoesNothingWhileASafeIsOpen();
  void DoubleClickEditsTopSelectedRowOrAddsBelowRows();
  void DeleteAsksAndRemovesExactlyTheSelectedEntries();
  void DeleteWithoutSelectionAsksNothing();
  void TickedItemsFollowOnlyTheirCommand();
  void PlacementAndColumnWidthsRoundTrip();
  void LastColumnStretchesAndTheSortedOneShowsIt();
  void SafeFolderMovesTheLastUsersSafeWhenAskedAndGoesBackToTheDefault();
  void SlowWorkKeepsTheWindowAliveAndShowsItIsBusy();
};

void MainWindowTest::MenuItemsHaveTheirTextsAndStartingStates_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("enabled");
  QTest::newRow("log in") << kCmdLogIn << "Log In...\tCtrl+L" << true;
  QTest::newRow("log out") << kCmdLogOut << "Log Out" << false;
  QTest::newRow("set password") << kCmdSetPassword << "Set Password..." << false;
  QTest::newRow("safe folder") << kCmdSafeFolder << "Safe &Folder..." << true;
  QTest::newRow("upgrade") << kCmdUpgradeSafe << "Upgrade Safe Encryption..." << false;
  QTest::newRow("secret service") << kCmdSecretService << "Serve Entries Tagged \"Secret Service\" to Other Programs"
                                  << true;
  QTest::newRow("settings") << kCmdSettings << "&Settings..." << true;
  QTest::newRow("hide") << kCmdHide << "Hide\tCtrl+H" << true;
  QTest::newRow("reside") << kCmdResideOnTaskbar << "Reside on Taskbar" << true;
  QTest::newRow("startup") << kCmdRunAtStartup << "Run at Startup" << true;
  QTest::newRow("exit") << kCmdExit << "E&xit" << true;
  QTest::newRow("add") << kCmdAddEntry << "&Add Entry...\tCtrl+E" << false;
  QTest::newRow("edit") << kCmdEditEntry << "&Edit Entry..." << false;
  QTest::newRow("delete") << kCmdDeleteEntries << "&Delete Entry(s)...\tDel" << false;
  QTest::newRow("help") << kCmdHelp << "Using Quillbox" << true;
  QTest::newRow("about") << kCmdAbout << "&About Quillbox..." << true;
  QTest::newRow("updates") << kCmdCheckForUpdates << "&Check for Updates..." << true;
}

void MainWindowTest::MenuItemsHaveTheirTextsAndStartingStates() {
  QFETCH(int, id);
  QFETCH(QString, text);
  QFETCH(bool, enabled);
  GuiTestWorld world;
  QAction* action = world.Window().MenuAction(id);
  QVERIFY(action != nullptr);
  QCOMPARE(action->text(), text);
  QCOMPARE(action->isEnabled(), enabled);
  QCOMPARE(world.Window().windowTitle(), QString("Tarnwell Quillbox"));
  QStringList menus;
  for (QAction* menu : world.Window().menuBar()->actions()) {
    menus << menu->text();
  }
  QCOMPARE(menus, (QStringList{"&File", "&Passwords", "&Help"}));
}

// The designed items in their designed order, the added ones before Exit's
// separator, and Exit last.
void MainWindowTest::FileMenuKeepsTheDesignedOrderAndEndsWithExit() {
  GuiTestWorld world;
  MainWindow& window = world.Window();
  QStringList texts;
  for (QAction* action : window.menuBar()->actions()[0]->menu()->actions()) {
    texts << (action->isSeparator() ? QString("-") : action->text());
  }
  const QStringList expected{"Log In...\tCtrl+L",
                             "Log Out",
                             "Set Password...",
                             "-",
                             "Hide\tCtrl+H",
                             "Reside on Taskbar",
                             "Run at Startup",
                             "-",
                             "&Lock\tCtrl+Shift+L",
                             "Upgrade Safe Encryption...",
                             "Safe &Folder...",
                             "Serve Entries Tagged \"Secret Service\" to Other Programs",
                             "&Settings...",
                             "-",
                             "&Import...",
                             "Ex&port...",
                             "-",
                             "E&xit"};
  QCOMPARE(texts, expected);
}

// The help page the window opens tells every command its menus hold, as
// "Menu &gt; Item" with the item's own words.
void MainWindowTest::HelpPageNamesEveryMenuItem() {
  QFile file(QStringLiteral(QUILLBOX_TEST_DATA_DIR "/../../resources/quillbox.html"));
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QString page = QString::fromUtf8(file.readAll());
  GuiTestWorld world;
  QStringList missing;
  for (QAction* menu : world.Window().menuBar()->actions()) {
    const QString title = menu->text().remove('&');
    for (QAction* action : menu->menu()->actions()) {
      if (action->isSeparator()) continue;
      const QString item = action->text().section('\t', 0, 0).remove('&');
      const QString named = title + " &gt; " + item;
      if (!page.contains(named)) missing << named;
    }
  }
  QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
}

// A letter shared by two items of a menu only moves between them. The one
// pair whose names were given with the same letter keeps it: O moves between
// them and Enter picks one.
void MainWindowTest::MnemonicsAreUniqueWithinEachMenu() {
  GuiTestWorld world;
  // These texts are kept as given although their letters are taken: the
  // letter moves between the items that share it.
  const QStringList shared = {QStringLiteral("Copy &One-Time Code"), QStringLiteral("Perform &Auto-Type")};
  for (QAction* menu : world.Window().menuBar()->actions()) {
    QStringList letters;
    for (QAction* action : menu->menu()->actions()) {
      const QString text = action->text().section(QLatin1Char('\t'), 0, 0);
      const qsizetype amp = text.indexOf(QLatin1Char('&'));
      if (amp < 0 || amp + 1 >= text.size() || shared.contains(text)) continue;
      const QString letter = text.mid(amp + 1, 1).toLower();
      QVERIFY2(!letters.contains(letter), qPrintable(menu->text() + ": " + text));
      letters << letter;
    }
  }
}

void MainWindowTest::LogInStateSwitchesTheMenu() {
  GuiTestWorld world;
  MainWindow& window = world.Window();
  world.CreateUserWithEntries("alice", "pw", {});
  const int loggedInOn[] = {kCmdAddEntry, kCmdLogOut, kCmdSetPassword};
  for (const int id : loggedInOn) {
    QVERIFY(window.MenuAction(id)->isEnabled());
  }
  QVERIFY(!window.MenuAction(kCmdLogIn)->isEnabled());
  QVERIFY(!window.MenuAction(kCmdSafeFolder)->isEnabled());
  window.RunCommand(kCmdLogOut);
  for (const int id : loggedInOn) {
    QVERIFY(!window.MenuAction(id)->isEnabled());
  }
  QVERIFY(window.MenuAction(kCmdLogIn)->isEnabled());
  QVERIFY(window.MenuAction(kCmdSafeFolder)->isEnabled());
}

void MainWindowTest::AcceleratorsWorkWhileTheirItemsAreGreyed() {
  GuiTestWorld world;
  MainWindow& window = world.Window();
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));

  QString caption;
  OnNextModalDialog(world.Window(), [&caption](QDialog& dialog) {
    caption = dialog.windowTitle();
    dialog.reject();
  });
  QTest::keyClick(&window, Qt::Key_L, Qt::ControlModifier);
  QCOMPARE(caption, QString("Enter Password"));

  world.CreateUserWithEntries("alice", "pw", {{"a", "u", "p"}});
  window.ListView()->selectRow(0);
  window.SetMenuItemEnabled(kCmdDeleteEntries, false);
  world.Answers().push_back(kIdNo);
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(window.ListView(), Qt::Key_Delete);
  QCOMPARE(world.Messages().size(), size_t{1});
  QCOMPARE(world.Messages()[0].text, std::string(kDeleteEntriesQuestion));
  QCOMPARE(world.Messages()[0].caption, std::string(kDeleteEntriesCaption));
  QCOMPARE(world.Messages()[0].style, kMbYesNo | kMbIconWarning);
}

void MainWindowTest::LogInCommandDoesNothingWhileASafeIsOpen() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {});
  bool dialogShown = false;
  OnNextModalDialog(world.Window(), [&dialogShown](QDialog& dialog) {
    dialogShown = true;
    dialog.reject();
  });
  world.Window().RunCommand(kCmdLogInKey);
  QTest::qWait(50);
  QVERIFY(!dialogShown);
}

void MainWindowTest::DoubleClickEditsTopSelectedRowOrAddsBelowRows() {
  GuiTestWorld world;
  world.App().SetSortOrder(0);
  world.CreateUserWithEntries("alice", "pw", {{"a", "ua", "pa"}, {"b", "ub", "pb"}, {"c", "uc", "pc"}});
  MainWindow& window = world.Window();
  window.resize(500, 400);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  EntryListView* list = window.ListView();

  QString caption;
  QString description;
  auto capture = [&](QDialog& dialog) {
    caption = dialog.windowTitle();
    description = dialog.findChild<QLineEdit*>("descriptionEdit")->text();
    dialog.reject();
  };
  OnNextModalDialog(world.Window(), capture);
  // A double-click is a click, then the second press.
  const QRect rowB = list->visualRect(list->model()->index(1, 0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowB.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowB.center());
  QCOMPARE(caption, QString("Edit this account and password in your safe"));
  QCOMPARE(description, QString("b"));

  OnNextModalDialog(world.Window(), capture);
  const QRect lastRow = list->visualRect(list->model()->index(2, 0));
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(lastRow.center().x(), lastRow.bottom() + 40));
  QCOMPARE(caption, QString("Add a new account and password to the safe"));
  QCOMPARE(description, QString());

  // With several rows selected, editing takes the topmost in display order.
  list->selectRow(2);
  list->selectionModel()->select(list->model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  OnNextModalDialog(world.Window(), capture);
  window.RunCommand(kCmdEditEntry);
  QCOMPARE(description, QString("b"));
}

void MainWindowTest::DeleteAsksAndRemovesExactlyTheSelectedEntries() {
  GuiTestWorld world;
  world.App().SetSortOrder(0);
  world.CreateUserWithEntries("alice", "pw",
                              {{"a", "u", "1"}, {"b", "u", "2"}, {"c", "u", "3"}, {"d", "u", "4"}, {"e", "u", "5"}});
  MainWindow& window = world.Window();
  auto selectRows = [&](std::initializer_list<int> rows) {
    window.ListView()->clearSelection();
    for (const int row : rows) {
      window.ListView()->selectionModel()->select(window.ListView()->model()->index(row, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  };
  selectRows({0, 2, 4});
  world.Answers().push_back(kIdNo);
  window.RunCommand(kCmdDeleteEntries);
  QCOMPARE(ColumnTexts(window, 0), (Rows{"a", "b", "c", "d", "e"}));

  selectRows({0, 2, 4});
  window.RunCommand(kCmdDeleteEntries);
  QCOMPARE(ColumnTexts(window, 0), (Rows{"b", "d"}));

  // The safe file holds what the list shows.
  window.RunCommand(kCmdLogOut);
  QVERIFY(world.App().LogIn("alice", "pw"));
  QCOMPARE(ColumnTexts(window, 0), (Rows{"b", "d"}));
}

void MainWindowTest::DeleteWithoutSelectionAsksNothing() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"a", "u", "1"}});
  world.Window().RunCommand(kCmdDeleteKey);
  QVERIFY(world.Messages().empty());
  QCOMPARE(world.Window().GetRowCount(), 1);
}

void MainWindowTest::TickedItemsFollowOnlyTheirCommand() {
  GuiTestWorld world;
  QAction* reside = world.Window().MenuAction(kCmdResideOnTaskbar);
  QVERIFY(reside->isCheckable());
  world.Window().SetMenuItemChecked(kCmdResideOnTaskbar, true);
  QVERIFY(reside->isChecked());
  world.Window().SetMenuItemEnabled(kCmdResideOnTaskbar, false);
  world.Window().SetMenuItemChecked(kCmdResideOnTaskbar, false);
  QVERIFY(!reside->isChecked());
  QVERIFY(reside->isEnabled());
}

void MainWindowTest::PlacementAndColumnWidthsRoundTrip() {
  GuiTestWorld world;
  MainWindow& window = world.Window();
  QtPlacementWindow placement(window);
  placement.SetNormalRect(30, 40, 420, 300);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  WRect rect;
  QVERIFY(placement.GetNormalRect(&rect));
  QCOMPARE(rect, (WRect{30, 40, 450, 340}));

  window.showMaximized();
  QTRY_VERIFY(window.isMaximized());
  QVERIFY(placement.GetNormalRect(&rect));
  QCOMPARE(rect, (WRect{30, 40, 450, 340}));

  std::vector<WRect> monitors;
  QVERIFY(placement.GetMonitorRects(&monitors));
  QVERIFY(!monitors.empty());

  QtColumnView columns(*window.ListView()->horizontalHeader());
  QCOMPARE(columns.GetColumnWidth(0), EntryListView::kInitialColumnWidth);
  columns.SetColumnWidth(1, 37);
  QCOMPARE(columns.GetColumnWidth(1), 37);
  QCOMPARE(columns.GetColumnWidth(3), 0);
}

void MainWindowTest::LastColumnStretchesAndTheSortedOneShowsIt() {
  GuiTestWorld world;
  MainWindow& window = world.Window();
  window.resize(700, 400);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QHeaderView* header = window.ListView()->horizontalHeader();
  QTRY_COMPARE(header->sectionViewportPosition(2) + header->sectionSize(2), header->viewport()->width());
  QVERIFY(header->isSortIndicatorShown());
  world.App().SetSortOrder(2);
  window.SortList(0);  // another column: ascending
  QCOMPARE(header->sortIndicatorSection(), 0);
  QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
  window.SortList(0);  // the same column again: descending
  QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(2) + 5, 5));
  QCOMPARE(world.App().GetSortOrder(), 4);
  QCOMPARE(header->sortIndicatorSection(), 2);
  QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
}

namespace {

// Picks folder (absolute) in the next Safe Folder dialog.
void PickFolder(QObject& context, const QString& folder) {
  OnNextModalDialog(context, [folder](QDialog& dialog) {
    auto& files = static_cast<QFileDialog&>(dialog);
    files.setDirectory(QFileInfo(folder).path());
    KeepAccepting(files, QFileInfo(folder).fileName());
  });
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
}

}  // namespace

void MainWindowTest::SafeFolderMovesTheLastUsersSafeWhenAskedAndGoesBackToTheDefault() {
  GuiTestWorld world;
  MainWindow& window = world.Window();
  const QString home = world.Folder();
  const QString copy = "alice.sync-conflict-20260101-101010-ABCDEFG.SAFE";
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "s3cr3t"}});
  QVERIFY(QFile::copy(home + "/alice.SAFE", home + "/" + copy));
  window.RunCommand(kCmdLogOut);
  for (const char* folder : {"/moved", "/other"}) QVERIFY(QDir().mkpath(home + folder));

  // Yes: the safe and its conflict copy go along; the log-in dialog names the folder.
  PickFolder(window, home + "/moved");
  window.RunCommand(kCmdSafeFolder);
  QCOMPARE(world.Messages().size(), size_t{1});
  QVERIFY(world.Messages()[0].text.starts_with(kMoveSafeQuestion));
  QCOMPARE(world.Messages()[0].caption, std::string("Tarnwell Quillbox"));
  QVERIFY(QFile::exists(home + "/moved/alice.SAFE"));
  QVERIFY(QFile::exists(home + "/moved/" + copy));
  QVERIFY(!QFile::exists(home + "/alice.SAFE"));
  QVERIFY(!QFile::exists(home + "/" + copy));
  {
    LoginDialog login(world.App(), &window);
    QVERIFY(login.findChild<QLabel*>("folderLabel")->text().endsWith(home + "/moved/"));
  }
  QVERIFY(world.App().LogIn("alice", "pw"));
  QCOMPARE(window.GetRowCount(), 1);
  window.RunCommand(kCmdLogOut);

  // A safe of the same name in the new folder is never replaced.
  QFile other(home + "/other/alice.SAFE");
  QVERIFY(other.open(QIODevice::WriteOnly));
  other.write("someone else's");
  other.close();
  world.ClearMessages();
  PickFolder(window, home + "/other");
  window.RunCommand(kCmdSafeFolder);
  QCOMPARE(world.Messages().size(), size_t{1});
  QCOMPARE(world.Messages()[0].text, std::string(kSafeFolderHoldsSafeMessage));
  QCOMPARE(world.Messages()[0].caption, std::string("Tarnwell Quillbox"));
  QCOMPARE(FileBytes(home + "/other/alice.SAFE"), QByteArray("someone else's"));
  QVERIFY(QFile::exists(home + "/moved/alice.SAFE"));

  // Default clears the setting; No leaves the safe where it is.
  PickFolder(window, home + "/moved");
  window.RunCommand(kCmdSafeFolder);
  world.ClearMessages();
  world.Answers().push_back(kIdNo);
  OnNextModalDialog(window, [](QDialog& dialog) { dialog.findChild<QPushButton*>("defaultButton")->click(); });
  window.RunCommand(kCmdSafeFolder);
  QCOMPARE(world.Messages().size(), size_t{1});
  QCOMPARE(QString::fromStdString(GetSafeFolder().path), home + "/");
  QVERIFY(QFile::exists(home + "/moved/alice.SAFE"));
  QVERIFY(!QFile::exists(home + "/alice.SAFE"));
}

// A key derivation runs on a thread of its own; meanwhile timers (and so
// painting) still run here, under the busy cursor, and input is held back.
void MainWindowTest::SlowWorkKeepsTheWindowAliveAndShowsItIsBusy() {
  GuiTestWorld world;
  std::atomic<bool> release{false};
  std::thread::id workThread;
  int ticks = 0;
  bool busyCursor = false;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    const QCursor* cursor = QApplication::overrideCursor();
    busyCursor = busyCursor || (cursor != nullptr && cursor->shape() == Qt::WaitCursor);
    // The work ends only once the event loop has shown it runs.
    if (++ticks == 3) release = true;
  });
  timer.start(1);
  world.Window().RunBusy([&] {
    workThread = std::this_thread::get_id();
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  QVERIFY(ticks >= 3);
  QVERIFY(busyCursor);
  QVERIFY(workThread != std::this_thread::get_id());
  QCOMPARE(QApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
