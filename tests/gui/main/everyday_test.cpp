// The everyday-safety side of the main window: copy commands and the
// clipboard, the filter with Select All and Delete, the lock, the generator
// and accessible names for every control.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QShortcut>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QCheckBox>
#include <QSpinBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QtTest>

#include "app/clock.h"
#include "app/command_ids.h"
#include "auto_type/gui/auto_type_commands.h"
#include "app/gui/entry_link_commands.h"
#include "app/gui/entry_list_view.h"
#include "app/gui/filter_field.h"
#include "app/gui/generator_dialog.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_clipboard.h"
#include "app/quillbox_messages.h"
#include "gui_test_support.h"
#include "tests/unit/safe/safe_test_dir.h"
#include "safe/one_time_code.h"
#include "safe/safe_store.h"

using Rows = std::vector<std::string>;

namespace {

void SelectRows(MainWindow& window, std::initializer_list<int> rows) {
  window.ListView()->clearSelection();
  for (const int row : rows) {
    window.ListView()->selectionModel()->select(window.ListView()->model()->index(row, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

QString ClipboardText() { return QGuiApplication::clipboard()->text(QClipboard::Clipboard); }

// Widgets a keyboard user can reach, each with the name a screen reader says.
QStringList UnnamedFocusableWidgets(QWidget& root) {
  QStringList unnamed;
  for (QWidget* widget : root.findChildren<QWidget*>()) {
    if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(&root)) continue;
    // The editor inside a spin box speaks through the spin box.
    if (qobject_cast<QAbstractSpinBox*>(widget->parentWidget()) != nullptr) continue;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (accessible == nullptr || accessible->text(QAccessible::Name).trimmed().isEmpty()) {
      unnamed << QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') + widget->objectName();
    }
  }
  return unnamed;
}

// Stands in for the desktop's opener of web addresses.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void Open(const QUrl& url) { opened << url; }
};

Entry EntryWith(const char* title, const char* url, const char* oneTimeSecret) {
  Entry entry;
  entry.title = title;
  entry.userName = "jdoe";
  entry.password = "pw1";
  entry.url = url;
  if (oneTimeSecret != nullptr) NormalizeOneTimeCodeInput(oneTimeSecret, entry.totp);
  return entry;
}

}  // namespace

class EverydayTest : public QObject {
  Q_OBJECT

 private slots:
  void NewMenuItemsComeAfterTheDesignedOnes();
  void CopyPutsTheFieldWithTheHintAndOnlyForOneRow();
  void CopyKeyOfTheListGoesThroughTheService();
  void AutoTypeIsOfferedOnlyWhereItCanType();
  void WebAddressAndOneTimeCodeCommands();
  void FilterShowsMatchingRowsAndKeepsTheSortOrder();
  void SelectAllAndDeleteActOnShownRowsOnly();
  void AnEntryTheFilterHidesIsToldInTheStatusBar();
  void LockCancelsTheOpenDialogAndChangesNothing();
  void EnterOnARowOpensTheEditDialog();
  void SetPasswordAndUpgradeAreToldInTheStatusBar();
  void GeneratorFollowsItsOptions();
  void GenerateInTheEntryDialogFillsThePassword();
  void EveryControlHasAnAccessibleName();
};

void EverydayTest::NewMenuItemsComeAfterTheDesignedOnes() {
  GuiTestWorld world;
  MainWindow& window = world.Window();
  const std::pair<int, QString> items[] = {{kCmdLock, "&Lock\tCtrl+Shift+L"},
                                           {kCmdCopyUserName, "Copy &User Name\tCtrl+B"},
                                           {kCmdCopyPassword, "Copy &Password\tCtrl+C"},
                                           {kCmdGeneratePassword, "Generate Password..."}};
  for (const auto& [id, text] : items) QCOMPARE(window.MenuAction(id)->text(), text);
  // After the designed items of their menus (File's end with Exit, see the main window test).
  const QList<QAction*> passwords = window.menuBar()->actions()[1]->menu()->actions();
  QVERIFY(passwords.indexOf(window.MenuAction(kCmdDeleteEntries)) <
          passwords.indexOf(window.MenuAction(kCmdCopyUserName)));
  QVERIFY(!window.MenuAction(kCmdLock)->isEnabled());
  world.CreateUserWithEntries("alice", "pw", {});
  QVERIFY(window.MenuAction(kCmdLock)->isEnabled());
}

void EverydayTest::CopyPutsTheFieldWithTheHintAndOnlyForOneRow() {
  GuiTestWorld world;
  world.App().SetSortOrder(0);
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "s3cr3t"}, {"Mail", "alice@example.com", "pa55"}});
  MainWindow& window = world.Window();
  QVERIFY(!window.MenuAction(kCmdCopyPassword)->isEnabled());

  SelectRows(window, {0});
  QVERIFY(window.MenuAction(kCmdCopyPassword)->isEnabled());
  window.RunCommand(kCmdCopyPassword);
  QCOMPARE(ClipboardText(), QString("s3cr3t"));
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  QCOMPARE(data->data(QtClipboard::kHintType), QByteArray("secret"));
  QVERIFY(window.statusBar()->currentMessage().startsWith("Password copied"));
  window.RunCommand(kCmdCopyUserName);
  QCOMPARE(ClipboardText(), QString("jdoe"));

  // Two rows: no copy, and the status bar says why.
  QGuiApplication::clipboard()->setText("mine");
  SelectRows(window, {0, 1});
  QVERIFY(!window.MenuAction(kCmdCopyPassword)->isEnabled());
  window.RunCommand(kCmdCopyPassword);
  QCOMPARE(ClipboardText(), QString("mine"));
  QCOMPARE(window.statusBar()->currentMessage(), QString(kSelectOneEntryNote));

  // Log-out clears the copy, but only while it is still there.
  SelectRows(window, {1});
  window.RunCommand(kCmdCopyPassword);
  QCOMPARE(ClipboardText(), QString("pa55"));
  window.RunCommand(kCmdLogOut);
  QCOMPARE(ClipboardText(), QString());
}

void EverydayTest::WebAddressAndOneTimeCodeCommands() {
  GuiTestWorld world;
  world.App().SetSortOrder(0);
  world.CreateUserWithEntries("alice", "pw", {});
  QVERIFY(world.App().AddEntry(EntryWith("Bank", "https://bank.example/login", "jbsw y3dp ehpk 3pxp")));
  QVERIFY(world.App().AddEntry(EntryWith("Files", "file:///etc/passwd", nullptr)));
  QVERIFY(world.App().AddEntry(EntryWith("Plain", "", nullptr)));
  MainWindow& window = world.Window();

  // After the existing items; Ctrl+T is taken by nothing else.
  const QList<QAction*> passwords = window.menuBar()->actions()[1]->menu()->actions();
  const int generate = passwords.indexOf(window.MenuAction(kCmdGeneratePassword));
  QCOMPARE(passwords.indexOf(window.MenuAction(kCmdCopyWebAddress)), generate + 2);
  QCOMPARE(window.MenuAction(kCmdCopyWebAddress)->text(), QString("Copy &Web Address"));
  QCOMPARE(window.MenuAction(kCmdOpenWebAddress)->text(), QString("&Open Web Address"));
  QCOMPARE(window.MenuAction(kCmdCopyOneTimeCode)->text(), QString("Copy &One-Time Code\tCtrl+T"));
  int ctrlT = 0;
  for (const QShortcut* shortcut : window.findChildren<QShortcut*>()) {
    if (shortcut->key() == QKeySequence(Qt::CTRL | Qt::Key_T)) ++ctrlT;
  }
  QCOMPARE(ctrlT, 1);

  UrlCatcher opener;
  QDesktopServices::setUrlHandler("https", &opener, "Open");
  QDesktopServices::setUrlHandler("file", &opener, "Open");

  SelectRows(window, {0});
  QVERIFY(window.MenuAction(kCmdCopyWebAddress)->isEnabled());
  QVERIFY(window.MenuAction(kCmdCopyOneTimeCode)->isEnabled());
  window.RunCommand(kCmdCopyWebAddress);
  QCOMPARE(ClipboardText(), QString("https://bank.example/login"));
  window.RunCommand(kCmdOpenWebAddress);
  QCOMPARE(opener.opened, QList<QUrl>{QUrl("https://bank.example/login")});

  // The code of this moment (or of the next period, were it crossed).
  const std::string_view uri = world.App().GetEntry(0)->totp.view();
  TotpCode before;
  QVERIFY(CurrentOneTimeCode(uri, UtcSeconds(), before) == nullptr);
  window.RunCommand(kCmdCopyOneTimeCode);
  TotpCode after;
  QVERIFY(CurrentOneTimeCode(uri, UtcSeconds(), after) == nullptr);
  QVERIFY2(ClipboardText() == QString(before.text) || ClipboardText() == QString(after.text),
           qPrintable(ClipboardText()));
  QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(QtClipboard::kHintType), QByteArray("secret"));
  const QRegularExpression status("^One-time code copied; valid for ([0-9]+) more seconds\\.$");
  const QRegularExpressionMatch match = status.match(window.statusBar()->currentMessage());
  QVERIFY2(match.hasMatch(), qPrintable(window.statusBar()->currentMessage()));
  QVERIFY(match.captured(1).toInt() >= 1 && match.captured(1).toInt() <= 30);

  // Anything but http and https is refused, with a message.
  SelectRows(window, {1});
  QVERIFY(window.MenuAction(kCmdOpenWebAddress)->isEnabled());
  QVERIFY(!window.MenuAction(kCmdCopyOneTimeCode)->isEnabled());
  window.RunCommand(kCmdOpenWebAddress);
  QCOMPARE(opener.opened.size(), 1);
  QCOMPARE(world.Messages().size(), size_t{1});
  QCOMPARE(QString::fromStdString(world.Messages()[0].text), QString(kOnlyWebLinksOpenMessage));

  SelectRows(window, {2});
  QVERIFY(!window.MenuAction(kCmdCopyWebAddress)->isEnabled());
  QVERIFY(!window.MenuAction(kCmdOpenWebAddress)->isEnabled());
  QDesktopServices::unsetUrlHandler("https");
  QDesktopServices::unsetUrlHandler("file");
}

// These tests run without X11, as under Wayland: the command is there,
// disabled, and says why.
void EverydayTest::AutoTypeIsOfferedOnlyWhereItCanType() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "s3cr3t"}});
  MainWindow& window = world.Window();
  QAction* autoType = window.MenuAction(kCmdPerformAutoType);
  QCOMPARE(autoType->text(), QString("Perform &Auto-Type\tCtrl+Shift+V"));
  const QList<QAction*> passwords = window.menuBar()->actions()[1]->menu()->actions();
  QCOMPARE(passwords.indexOf(autoType), passwords.indexOf(window.MenuAction(kCmdCopyOneTimeCode)) + 2);
  SelectRows(window, {0});
  QVERIFY(window.MenuAction(kCmdCopyPassword)->isEnabled());
  QVERIFY(!autoType->isEnabled());
  QCOMPARE(autoType->toolTip(), QString(kAutoTypeNeedsX11Note));
  QVERIFY(window.findChildren<AutoTypeShortcut*>().isEmpty());
}

void EverydayTest::CopyKeyOfTheListGoesThroughTheService() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "s3cr3t"}});
  MainWindow& window = world.Window();
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  window.ListView()->setFocus();
  window.ListView()->setCurrentIndex(window.ListView()->model()->index(0, 0));
  window.ListView()->clearSelection();
  QGuiApplication::clipboard()->clear();
  // The current cell is the description; Qt's own copy would take it.
  QTest::keyClick(window.ListView(), Qt::Key_Insert, Qt::ControlModifier);
  QCOMPARE(ClipboardText(), QString("s3cr3t"));
  QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(QtClipboard::kHintType), QByteArray("secret"));
}

void EverydayTest::FilterShowsMatchingRowsAndKeepsTheSortOrder() {
  GuiTestWorld world;
  world.App().SetSortOrder(1);  // description, descending
  world.CreateUserWithEntries("alice", "pw",
                              {{"Bank", "jdoe", "mail"}, {"Mail", "postmaster", "x"}, {"Blog", "MAILER", "y"}});
  MainWindow& window = world.Window();
  window.Filter()->setText("mail");
  QCOMPARE(ColumnTexts(window, 0), (Rows{"Mail", "Blog"}));
  QCOMPARE(ColumnTexts(window, 2), (Rows{"******", "******"}));
  window.Filter()->setText("");
  QCOMPARE(ColumnTexts(window, 0), (Rows{"Mail", "Blog", "Bank"}));
  // A column click while filtered sorts the hidden rows as well.
  window.Filter()->setText("mail");
  window.SortList(0);
  QCOMPARE(ColumnTexts(window, 0), (Rows{"Blog", "Mail"}));
  window.Filter()->setText("");
  QCOMPARE(ColumnTexts(window, 0), (Rows{"Bank", "Blog", "Mail"}));

  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
  QVERIFY(window.Filter()->hasFocus());
  QTest::keyClicks(window.Filter(), "BL");
  QCOMPARE(ColumnTexts(window, 0), (Rows{"Blog"}));
  QTest::keyClick(window.Filter(), Qt::Key_Escape);
  QCOMPARE(window.Filter()->text(), QString());
  QCOMPARE(window.GetRowCount(), 3);
}

void EverydayTest::SelectAllAndDeleteActOnShownRowsOnly() {
  GuiTestWorld world;
  world.App().SetSortOrder(0);
  world.CreateUserWithEntries("alice", "pw",
                              {{"Bank", "u", "1"}, {"Mail", "u", "2"}, {"Banjo club", "u", "3"}, {"Shop", "u", "4"}});
  MainWindow& window = world.Window();
  window.Filter()->setText("ban");
  window.RunCommand(kCmdSelectAllKey);
  QCOMPARE(ColumnTexts(window, 2), (Rows{"3", "1"}));  // both shown rows revealed
  window.RunCommand(kCmdDeleteKey);
  QCOMPARE(world.Messages().size(), size_t{1});
  QCOMPARE(world.Messages()[0].text, std::string(kDeleteEntriesQuestion));
  QCOMPARE(window.GetRowCount(), 0);
  QCOMPARE(window.Filter()->text(), QString("ban"));

  EntryList stored;
  QVERIFY(LoadSafe("alice", "pw", stored));
  QCOMPARE(ToVector(stored), (std::vector<std::string>{"Mail\tu\t2", "Shop\tu\t4"}));
}

void EverydayTest::AnEntryTheFilterHidesIsToldInTheStatusBar() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "u", "1"}});
  MainWindow& window = world.Window();
  window.Filter()->setText("bank");
  OnNextModalDialog(window, [](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("descriptionEdit")->setText("Shop");
    dialog.accept();
  });
  window.RunCommand(kCmdAddEntry);
  QCOMPARE(world.App().GetEntries().size(), 2u);
  QCOMPARE(window.GetRowCount(), 1);
  QCOMPARE(window.Filter()->text(), QString("bank"));
  QVERIFY(window.statusBar()->currentMessage().contains("does not match the filter"));
}

void EverydayTest::LockCancelsTheOpenDialogAndChangesNothing() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "s3cr3t"}});
  MainWindow& window = world.Window();
  window.Filter()->setText("ba");
  SelectRows(window, {0});
  window.RunCommand(kCmdCopyPassword);
  QFile safe(world.Folder() + "/alice.SAFE");
  QVERIFY(safe.open(QIODevice::ReadOnly));
  const QByteArray before = safe.readAll();
  safe.close();

  // The entry dialog is open with a change typed when the lock comes.
  QString nextCaption;
  OnNextModalDialog(window, [&](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("passwordEdit")->setText("changed");
    OnNextModalDialog(window, [&](QDialog& login) {
      nextCaption = login.windowTitle();
      login.reject();
    });
    window.RunCommand(kCmdLock);
  });
  window.RunCommand(kCmdEditEntry);
  QTRY_COMPARE(nextCaption, QString("Enter Password"));
  QVERIFY(!world.App().IsLoggedIn());
  QCOMPARE(window.GetRowCount(), 0);
  QCOMPARE(window.Filter()->text(), QString());
  QCOMPARE(ClipboardText(), QString());
  QVERIFY(window.statusBar()->currentMessage().isEmpty() ||
          window.statusBar()->currentMessage() == QString::fromLatin1(kClipboardClearedText));
  QVERIFY(safe.open(QIODevice::ReadOnly));
  QCOMPARE(safe.readAll(), before);
  QVERIFY(world.App().LogIn("alice", "pw"));
  QCOMPARE(ColumnTexts(window, 0), (Rows{"Bank"}));
  SelectRows(window, {0});
  QCOMPARE(ColumnTexts(window, 2), (Rows{"s3cr3t"}));
}

void EverydayTest::EnterOnARowOpensTheEditDialog() {
  GuiTestWorld world;
  world.App().SetSortOrder(0);
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "s3cr3t"}, {"Mail", "me", "pa55"}});
  MainWindow& window = world.Window();
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  window.ListView()->selectRow(1);
  QString description;
  OnNextModalDialog(window, [&description](QDialog& dialog) {
    description = dialog.findChild<QLineEdit*>("descriptionEdit")->text();
    dialog.reject();
  });
  QTest::keyClick(window.ListView(), Qt::Key_Return);
  QCOMPARE(description, QString("Mail"));
  description.clear();
  OnNextModalDialog(window, [&description](QDialog& dialog) {
    description = dialog.findChild<QLineEdit*>("descriptionEdit")->text();
    dialog.reject();
  });
  QTest::keyClick(window.ListView(), Qt::Key_Enter, Qt::KeypadModifier);
  QCOMPARE(description, QString("Mail"));
}

void EverydayTest::SetPasswordAndUpgradeAreToldInTheStatusBar() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {});
  MainWindow& window = world.Window();
  OnNextModalDialog(window, [](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("oldPasswordEdit")->setText("pw");
    dialog.findChild<QLineEdit*>("passwordEdit")->setText("new");
    dialog.findChild<QLineEdit*>("confirmEdit")->setText("new");
    dialog.accept();
  });
  window.RunCommand(kCmdSetPassword);
  QCOMPARE(window.statusBar()->currentMessage(), QString(kPasswordChangedNote));
  window.RunCommand(kCmdLogOut);
  QVERIFY(world.App().LogIn("alice", "new"));

  world.App().CreateUser(window.Owner(), "bob", "pw", SafeFormat::kLegacy);
  QVERIFY(world.App().IsOpenSafeLegacy());
  window.RunCommand(kCmdUpgradeSafe);
  QVERIFY(!world.App().IsOpenSafeLegacy());
  QCOMPARE(window.statusBar()->currentMessage(), QString(kSafeUpgradedNote));
}

void EverydayTest::GeneratorFollowsItsOptions() {
  GeneratorDialog dialog(true, nullptr);
  QLineEdit* password = dialog.findChild<QLineEdit*>();
  QVERIFY(password != nullptr);
  QCOMPARE(dialog.Password().size(), 20);
  auto* length = dialog.findChild<QSpinBox*>();
  length->setValue(8);
  QCOMPARE(dialog.Password().size(), 8);
  length->setValue(200);
  QCOMPARE(dialog.Password().size(), 128);
  for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
    if (!box->text().startsWith("Digits")) box->setChecked(box->text().startsWith("Avoid"));
  }
  for (const QChar c : dialog.Password()) QVERIFY2(QString("23456789").contains(c), qPrintable(dialog.Password()));
  // The symbols label shows every symbol, '&' too (not taken as a mnemonic).
  for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
    const QString shown = QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name);
    if (shown.startsWith("Symbols")) QCOMPARE(shown, QString("Symbols (!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~)"));
  }
  for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) box->setChecked(false);
  QCOMPARE(dialog.Password(), QString());
  QPushButton* use = nullptr;
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
    if (button->text() == "&Use") use = button;
  }
  QVERIFY(use != nullptr);
  QVERIFY(!use->isEnabled());
}

void EverydayTest::GenerateInTheEntryDialogFillsThePassword() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {});
  MainWindow& window = world.Window();
  QString filled = "not reached";
  QString generated;
  OnNextModalDialog(window, [&](QDialog& entry) {
    OnNextModalDialog(window, [&](QDialog& generator) {
      QCOMPARE(generator.windowTitle(), QString("Generate Password"));
      generated = static_cast<GeneratorDialog&>(generator).Password();
      for (QPushButton* button : generator.findChildren<QPushButton*>()) {
        if (button->text() == "&Use") button->click();
      }
    });
    entry.findChild<QPushButton*>("generateButton")->click();
    filled = entry.findChild<QLineEdit*>("passwordEdit")->text();
    entry.reject();
  });
  window.RunCommand(kCmdAddEntry);
  QCOMPARE(filled.size(), 20);
  QCOMPARE(filled, generated);
  QCOMPARE(world.App().GetEntries().size(), 0u);
}

void EverydayTest::EveryControlHasAnAccessibleName() {
  GuiTestWorld world;
  MainWindow& window = world.Window();
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QCOMPARE(UnnamedFocusableWidgets(window).join(","), QString());
  GeneratorDialog generator(true, &window);
  generator.show();
  QCOMPARE(UnnamedFocusableWidgets(generator).join(","), QString());
  generator.hide();

  // The log-in, entry and set-password dialogs.
  for (const int command : {kCmdLogIn, kCmdAddEntry, kCmdSetPassword}) {
    if (command == kCmdAddEntry) world.CreateUserWithEntries("alice", "pw", {});
    QStringList unnamed{"not reached"};
    OnNextModalDialog(window, [&unnamed](QDialog& dialog) {
      unnamed = UnnamedFocusableWidgets(dialog);
      dialog.reject();
    });
    window.RunCommand(command);
    QCOMPARE(unnamed.join(","), QString());
  }
}

QTEST_MAIN(EverydayTest)
#include "everyday_test.moc"
