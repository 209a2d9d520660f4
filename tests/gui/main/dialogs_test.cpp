#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <algorithm>
#include <string_view>

#include "app/gui/create_user_dialog.h"
#include "app/gui/entry_dialog.h"
#include "app/gui/entry_field_buffers.h"
#include "app/gui/entry_list_view.h"
#include "app/gui/login_dialog.h"
#include "app/gui/main_window.h"
#include "app/gui/run_entry_dialog.h"
#include "app/gui/set_password_dialog.h"
#include "app/quillbox_messages.h"
#include "gui_test_support.h"
#include "safe/entry_field_rules.h"

namespace {

QLineEdit* Edit(QDialog& dialog, const char* name) { return dialog.findChild<QLineEdit*>(name); }

void Fill(QDialog& dialog, std::initializer_list<std::pair<const char*, QString>> fields) {
  for (const auto& [name, text] : fields) {
    Edit(dialog, name)->setText(text);
  }
}

// The only message shown, as "caption|text"; empty when none was shown.
QString OnlyMessage(const GuiTestWorld& world) {
  if (world.Messages().empty()) {
    return {};
  }
  if (world.Messages().size() > 1) {
    return "more than one message";
  }
  const auto& message = world.Messages()[0];
  return QString::fromStdString(message.caption + "|" + message.text);
}

QString Expected(const char* caption, const char* text) { return QString(caption) + "|" + text; }

// Answers the next password dialog with password, or cancels it when null.
void AnswerSafePassword(GuiTestWorld& world, const char* password) {
  OnNextModalDialog(world.Window(), [password](QDialog& dialog) {
    if (password == nullptr) {
      dialog.reject();
      return;
    }
    Edit(dialog, "passwordEdit")->setText(password);
    dialog.accept();
  });
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void LogInValidatesInOrder_data();
  void LogInValidatesInOrder();
  void LogInPrefillsTheLastUserAndFocusesThePassword();
  void RefusedLogInSelectsWhatToRetype_data();
  void RefusedLogInSelectsWhatToRetype();
  void NewUserButtonClosesLogInWhenAUserIsCreated();
  void CreateUserValidatesInOrder_data();
  void CreateUserValidatesInOrder();
  void ReplacingASafeTakesItsPassword_data();
  void ReplacingASafeTakesItsPassword();
  void LogInTabsFromNameToPasswordToNewUser();
  void SetPasswordValidatesInOrder_data();
  void SetPasswordValidatesInOrder();
  void SetPasswordNameFollowsTheOpenSafe();
  void StrengthWarningShowsWhole();
  void FieldLimits();
  void EntryDialogsAreWideEnoughForTheirTitles();
  void EntryDialogRefusesSeparators_data();
  void EntryDialogRefusesSeparators();
  void UnchangedFieldsKeepTheirBytes();
  void BlankEntryIsRefusedAndTheDialogReopens();
  void AnEditLandsInItsEntryWhateverAnotherWriterRemoved_data();
  void AnEditLandsInItsEntryWhateverAnotherWriterRemoved();
  void LongestFieldsSurviveAddSaveLoadAndEdit();
  void WholeEntryRoundTripOnAStrongSafe();
  void LegacySafeDisablesTheDetailsWithTheNote();
};

void DialogsTest::LogInValidatesInOrder_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("password");
  QTest::addColumn<QString>("message");
  QTest::newRow("name with a space") << "al ice"
                                     << "pw" << Expected(kInvalidUserNameCaption, kInvalidUserNameMessage);
  QTest::newRow("non-ASCII letter") << QString::fromUtf8(
                                           "al\xC3\xAF"
                                           "ce")
                                    << "pw" << Expected(kInvalidUserNameCaption, kInvalidUserNameMessage);
  QTest::newRow("unknown user") << "bob"
                                << "pw" << Expected(kErrorCaption, kUserNotFoundMessage);
  QTest::newRow("empty name") << ""
                              << "pw" << Expected(kErrorCaption, kUserNotFoundMessage);
  QTest::newRow("wrong password") << "alice"
                                  << "PW" << Expected(kErrorCaption, kLogInFailedMessage);
  QTest::newRow("right password") << "alice"
                                  << "pw" << QString();
}

void DialogsTest::LogInValidatesInOrder() {
  QFETCH(QString, name);
  QFETCH(QString, password);
  QFETCH(QString, message);
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {});
  world.App().LogOut();

  LoginDialog dialog(world.App(), &world.Window());
  Fill(dialog, {{"nameEdit", name}, {"passwordEdit", password}});
  dialog.accept();
  QCOMPARE(OnlyMessage(world), message);
  QCOMPARE(dialog.result() == QDialog::Accepted, message.isEmpty());
  QCOMPARE(world.App().IsLoggedIn(), message.isEmpty());
}

void DialogsTest::LogInPrefillsTheLastUserAndFocusesThePassword() {
  GuiTestWorld world;
  {
    LoginDialog first(world.App(), &world.Window());
    first.show();
    QVERIFY(QTest::qWaitForWindowActive(&first));
    QCOMPARE(Edit(first, "nameEdit")->text(), QString());
    QCOMPARE(QApplication::focusWidget(), Edit(first, "nameEdit"));
  }
  world.CreateUserWithEntries("alice", "pw", {});
  world.App().LogOut();
  LoginDialog again(world.App(), &world.Window());
  again.show();
  QVERIFY(QTest::qWaitForWindowActive(&again));
  QCOMPARE(again.windowTitle(), QString("Enter Password"));
  QCOMPARE(Edit(again, "nameEdit")->text(), QString("alice"));
  QCOMPARE(QApplication::focusWidget(), Edit(again, "passwordEdit"));
}

void DialogsTest::RefusedLogInSelectsWhatToRetype_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("field");
  QTest::addColumn<QString>("retyped");
  QTest::addColumn<QString>("password");
  QTest::newRow("wrong password") << "alice"
                                  << "passwordEdit"
                                  << "pw"
                                  << "pw";
  QTest::newRow("unknown user") << "bob"
                                << "nameEdit"
                                << "alice"
                                << "PW";
}

// Typing after the message replaces what was refused instead of adding to it.
void DialogsTest::RefusedLogInSelectsWhatToRetype() {
  QFETCH(QString, name);
  QFETCH(QString, field);
  QFETCH(QString, retyped);
  QFETCH(QString, password);
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {});
  world.App().LogOut();
  LoginDialog dialog(world.App(), &world.Window());
  dialog.show();
  QVERIFY(QTest::qWaitForWindowActive(&dialog));
  Fill(dialog, {{"nameEdit", name}, {"passwordEdit", "PW"}});
  dialog.accept();
  QCOMPARE(world.Messages().size(), size_t{1});
  QLineEdit* refused = Edit(dialog, field.toLatin1().constData());
  QTRY_COMPARE(QApplication::focusWidget(), refused);
  QVERIFY(refused->selectedText() == refused->text());
  QTest::keyClicks(refused, retyped);
  QCOMPARE(Edit(dialog, "nameEdit")->text(), QString("alice"));
  QCOMPARE(Edit(dialog, "passwordEdit")->text(), password);
}

void DialogsTest::NewUserButtonClosesLogInWhenAUserIsCreated() {
  GuiTestWorld world;
  OnNextModalDialog(world.Window(), [&world](QDialog& login) {
    OnNextModalDialog(world.Window(), [](QDialog& create) {
      QCOMPARE(create.windowTitle(), QString("Create new user"));
      Fill(create, {{"nameEdit", "carol"}, {"passwordEdit", "secret"}, {"confirmEdit", "secret"}});
      create.findChild<QPushButton*>("okButton")->click();
    });
    login.findChild<QPushButton*>("newUserButton")->click();
  });
  LoginDialog login(world.App(), &world.Window());
  QCOMPARE(login.exec(), int(QDialog::Accepted));
  QVERIFY(world.App().IsLoggedIn());
  QCOMPARE(QString(world.App().GetUserName()), QString("carol"));
}

void DialogsTest::CreateUserValidatesInOrder_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("password");
  QTest::addColumn<QString>("confirmation");
  QTest::addColumn<int>("answer");
  QTest::addColumn<QString>("message");
  QTest::addColumn<bool>("closes");
  QTest::addColumn<bool>("loggedIn");
  QTest::newRow("empty password") << "carol"
                                  << ""
                                  << "" << kIdYes << Expected(kErrorCaption, kEmptyPasswordMessage) << false << false;
  QTest::newRow("mismatch") << "carol"
                            << "a"
                            << "A" << kIdYes << Expected(kErrorCaption, kPasswordMismatchMessage) << false << false;
  // 130 characters fit the field; their 260 bytes do not fit a safe.
  QTest::newRow("too long in UTF-8") << "carol" << QString(130, QChar(0xE9)) << QString(130, QChar(0xE9)) << kIdYes
                                     << Expected(kErrorCaption, kPasswordTooLongMessage) << false << false;
  QTest::newRow("bad name closes anyway")
      << "car_ol"
      << "a"
      << "a" << kIdYes << Expected(kInvalidUserNameCaption, kInvalidUserNameMessage) << true << false;
  QTest::newRow("existing user, No") << "alice"
                                     << "a"
                                     << "a" << kIdNo << Expected("alice", kDeleteUserQuestion) << true << false;
  QTest::newRow("existing user, Yes") << "alice"
                                      << "a"
                                      << "a" << kIdYes << Expected("alice", kDeleteUserQuestion) << true << true;
  QTest::newRow("new user") << "carol"
                            << "a"
                            << "a" << kIdYes << QString() << true << true;
}

void DialogsTest::CreateUserValidatesInOrder() {
  QFETCH(QString, name);
  QFETCH(QString, password);
  QFETCH(QString, confirmation);
  QFETCH(int, answer);
  QFETCH(QString, message);
  QFETCH(bool, closes);
  QFETCH(bool, loggedIn);
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"kept", "u", "p"}});
  world.App().LogOut();
  world.Answers().push_back(answer);
  if (answer == kIdYes) AnswerSafePassword(world, "pw");

  CreateUserDialog dialog(world.App(), &world.Window());
  QCOMPARE(dialog.windowTitle(), QString("Create new user"));
  Fill(dialog, {{"nameEdit", name}, {"passwordEdit", password}, {"confirmEdit", confirmation}});
  dialog.accept();
  QCOMPARE(OnlyMessage(world), message);
  QCOMPARE(dialog.result() == QDialog::Accepted, closes);
  QCOMPARE(world.App().IsLoggedIn(), loggedIn);
  if (loggedIn) {
    QCOMPARE(world.Window().GetRowCount(), 0);  // a replaced safe starts empty
  }
}

void DialogsTest::ReplacingASafeTakesItsPassword_data() {
  QTest::addColumn<QString>("password");  // "cancel": the dialog is cancelled
  QTest::addColumn<bool>("replaced");
  QTest::newRow("right password") << "pw" << true;
  QTest::newRow("wrong password") << "PW" << false;
  QTest::newRow("cancel") << "cancel" << false;
}

// The question keeps its text but defaults to No; Yes alone replaces nothing.
void DialogsTest::ReplacingASafeTakesItsPassword() {
  QFETCH(QString, password);
  QFETCH(bool, replaced);
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"kept", "u", "p"}});
  world.App().LogOut();
  world.Answers().push_back(kIdYes);
  const QByteArray typed = password.toUtf8();
  AnswerSafePassword(world, password == "cancel" ? nullptr : typed.constData());

  CreateUserDialog dialog(world.App(), &world.Window());
  Fill(dialog, {{"nameEdit", "alice"}, {"passwordEdit", "new"}, {"confirmEdit", "new"}});
  dialog.accept();
  QVERIFY(!world.Messages().empty());
  QCOMPARE(world.Messages()[0].text, std::string(kDeleteUserQuestion));
  QCOMPARE(world.Messages()[0].style, kMbYesNo | kMbIconWarning | kMbDefButton2);
  const bool wrong = password == "PW";
  QCOMPARE(world.Messages().size(), size_t{wrong ? 2u : 1u});
  if (wrong) QCOMPARE(world.Messages()[1].text, std::string(kReplaceSafeRefusedMessage));
  QCOMPARE(world.App().IsLoggedIn(), replaced);
  world.App().LogOut();
  QCOMPARE(world.App().LogIn("alice", "pw"), !replaced);
  QCOMPARE(world.Window().GetRowCount(), replaced ? 0 : 1);
}

// Name, Tab, password, Enter logs in: the new-user button comes after the password.
void DialogsTest::LogInTabsFromNameToPasswordToNewUser() {
  GuiTestWorld world;
  LoginDialog dialog(world.App(), &world.Window());
  dialog.show();
  QVERIFY(QTest::qWaitForWindowActive(&dialog));
  QCOMPARE(QApplication::focusWidget(), Edit(dialog, "nameEdit"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), Edit(dialog, "passwordEdit"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), dialog.findChild<QPushButton*>("newUserButton"));
}

void DialogsTest::SetPasswordValidatesInOrder_data() {
  QTest::addColumn<QString>("oldPassword");
  QTest::addColumn<QString>("password");
  QTest::addColumn<QString>("confirmation");
  QTest::addColumn<QString>("message");
  QTest::newRow("wrong old password") << "PW"
                                      << ""
                                      << "x" << Expected(kErrorCaption, kOldPasswordIncorrectMessage);
  QTest::newRow("empty new password") << "pw"
                                      << ""
                                      << "" << Expected(kErrorCaption, kEmptyPasswordMessage);
  QTest::newRow("mismatch") << "pw"
                            << "new"
                            << "New" << Expected(kErrorCaption, kPasswordMismatchMessage);
  QTest::newRow("too long in UTF-8") << "pw" << QString(130, QChar(0xE9)) << QString(130, QChar(0xE9))
                                     << Expected(kErrorCaption, kPasswordTooLongMessage);
  QTest::newRow("changed") << "pw"
                           << "new"
                           << "new" << QString();
}

void DialogsTest::SetPasswordValidatesInOrder() {
  QFETCH(QString, oldPassword);
  QFETCH(QString, password);
  QFETCH(QString, confirmation);
  QFETCH(QString, message);
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"d", "u", "p"}});

  SetPasswordDialog dialog(world.App(), &world.Window());
  Fill(dialog, {{"oldPasswordEdit", oldPassword}, {"passwordEdit", password}, {"confirmEdit", confirmation}});
  dialog.accept();
  QCOMPARE(OnlyMessage(world), message);
  QCOMPARE(dialog.result() == QDialog::Accepted, message.isEmpty());
  QVERIFY(world.App().IsLoggedIn());
  QCOMPARE(world.Window().GetRowCount(), 1);

  world.App().LogOut();
  const bool changed = message.isEmpty();
  QCOMPARE(world.App().LogIn("alice", "pw"), !changed);
  QCOMPARE(world.App().LogIn("alice", "new"), changed);
}

void DialogsTest::SetPasswordNameFollowsTheOpenSafe() {
  GuiTestWorld world;
  {
    SetPasswordDialog dialog(world.App(), &world.Window());
    QCOMPARE(dialog.windowTitle(), QString("Create new user"));
    QVERIFY(Edit(dialog, "nameEdit")->isEnabled());
    QCOMPARE(Edit(dialog, "nameEdit")->text(), QString());
  }
  world.CreateUserWithEntries("alice", "pw", {});
  SetPasswordDialog dialog(world.App(), &world.Window());
  QCOMPARE(dialog.windowTitle(), QString("Set New Password"));
  QVERIFY(!Edit(dialog, "nameEdit")->isEnabled());
  QCOMPARE(Edit(dialog, "nameEdit")->text(), QString("alice"));
}

// The warning below "good" runs over several lines at the dialogs' width.
void DialogsTest::StrengthWarningShowsWhole() {
  GuiTestWorld world;
  CreateUserDialog create(world.App(), &world.Window());
  world.CreateUserWithEntries("alice", "pw", {});
  SetPasswordDialog change(world.App(), &world.Window());
  for (QDialog* dialog : {static_cast<QDialog*>(&create), static_cast<QDialog*>(&change)}) {
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    auto* hint = dialog->findChild<QLabel*>("strengthLabel");
    Edit(*dialog, "passwordEdit")->setText("abc");
    QVERIFY2(hint->text().endsWith("is much harder to guess."), qPrintable(hint->text()));
    QVERIFY(hint->heightForWidth(hint->width()) > 2 * hint->fontMetrics().height());
    QTRY_VERIFY2(hint->height() >= hint->heightForWidth(hint->width()), qPrintable(dialog->windowTitle()));
  }
}

void DialogsTest::EntryDialogsAreWideEnoughForTheirTitles() {
  for (const bool addMode : {true, false}) {
    EntryFieldBuffers fields;
    EntryDialog dialog(addMode, fields, nullptr);
    QFont bold = dialog.font();
    bold.setBold(true);
    QVERIFY2(dialog.minimumWidth() > QFontMetrics(bold).horizontalAdvance(dialog.windowTitle()) + 100,
             qPrintable(dialog.windowTitle()));
  }
}

void DialogsTest::FieldLimits() {
  GuiTestWorld world;
  LoginDialog login(world.App(), &world.Window());
  CreateUserDialog create(world.App(), &world.Window());
  SetPasswordDialog setPassword(world.App(), &world.Window());
  EntryFieldBuffers fields;
  EntryDialog entry(true, fields, &world.Window());
  const std::pair<QDialog*, std::vector<std::pair<const char*, int>>> limits[] = {
      {&login, {{"nameEdit", 29}, {"passwordEdit", 259}}},
      {&create, {{"nameEdit", 29}, {"passwordEdit", 259}, {"confirmEdit", 259}}},
      {&setPassword, {{"nameEdit", 29}, {"oldPasswordEdit", 259}, {"passwordEdit", 259}, {"confirmEdit", 259}}},
      {&entry, {{"descriptionEdit", 259}, {"userNameEdit", 259}, {"passwordEdit", 259}}},
  };
  for (const auto& [dialog, edits] : limits) {
    for (const auto& [name, limit] : edits) {
      QVERIFY2(Edit(*dialog, name)->maxLength() == limit, name);
    }
  }
  QCOMPARE(Edit(entry, "passwordEdit")->echoMode(), QLineEdit::Normal);
  QCOMPARE(Edit(login, "passwordEdit")->echoMode(), QLineEdit::Password);
  QVERIFY(login.findChild<QPushButton*>("okButton")->isDefault());
  QVERIFY(entry.findChild<QPushButton*>("okButton")->isDefault());
}

void DialogsTest::EntryDialogRefusesSeparators_data() {
  QTest::addColumn<QString>("edit");
  QTest::addColumn<QString>("text");
  QTest::newRow("tab in description") << "descriptionEdit"
                                      << "a\tb";
  QTest::newRow("carriage return in user name") << "userNameEdit"
                                                << "a\rb";
  QTest::newRow("line feed in password") << "passwordEdit"
                                         << "a\nb";
}

void DialogsTest::EntryDialogRefusesSeparators() {
  QFETCH(QString, edit);
  QFETCH(QString, text);
  GuiTestWorld world;
  EntryFieldBuffers fields;
  fields.entry.title = "old";
  EntryDialog dialog(false, fields, &world.Window());
  QCOMPARE(dialog.windowTitle(), QString("Edit this account and password in your safe"));
  Edit(dialog, edit.toLatin1().constData())->setText(text);
  dialog.accept();
  QCOMPARE(OnlyMessage(world), Expected(kErrorCaption, kEntryFieldSeparatorMessage));
  QCOMPARE(dialog.result(), int(QDialog::Rejected));
  QCOMPARE(QString(fields.entry.title.c_str()), QString("old"));
}

void DialogsTest::UnchangedFieldsKeepTheirBytes() {
  GuiTestWorld world;
  EntryFieldBuffers fields;
  fields.entry.title = "Mail";
  fields.entry.password = "pa\xE4ss";  // one Latin-1 byte, not UTF-8
  EntryDialog dialog(false, fields, &world.Window());
  QCOMPARE(Edit(dialog, "passwordEdit")->text(), QString::fromUtf8("pa\xC3\xA4ss"));
  Edit(dialog, "userNameEdit")->setText(QString::fromUtf8("j\xC3\xB6rg"));
  dialog.accept();
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(QByteArray(fields.entry.password.c_str()), QByteArray("pa\xE4ss"));
  QCOMPARE(QByteArray(fields.entry.userName.c_str()), QByteArray("j\xC3\xB6rg"));
  QCOMPARE(QByteArray(fields.entry.title.c_str()), QByteArray("Mail"));
}

void DialogsTest::BlankEntryIsRefusedAndTheDialogReopens() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"desc", "user", "pass"}});
  world.Window().ListView()->selectRow(0);

  QStringList seen;
  OnNextModalDialog(world.Window(), [&seen, &world](QDialog& first) {
    seen << Edit(first, "descriptionEdit")->text();
    OnNextModalDialog(world.Window(), [&seen](QDialog& second) {
      seen << Edit(second, "descriptionEdit")->text() + "/" + Edit(second, "passwordEdit")->text();
      second.reject();
    });
    Fill(first, {{"descriptionEdit", ""}, {"userNameEdit", ""}, {"passwordEdit", ""}});
    first.accept();
  });
  QVERIFY(!RunEntryDialog(world.App(), world.Window(), &world.Window(), false));
  QCOMPARE(OnlyMessage(world), Expected(kErrorCaption, kBlankEntryMessage));
  QCOMPARE(seen, (QStringList{"desc", "desc/pass"}));
  QCOMPARE(QString(world.App().GetEntry(0)->password.c_str()), QString("pass"));
}

void DialogsTest::AnEditLandsInItsEntryWhateverAnotherWriterRemoved_data() {
  QTest::addColumn<bool>("legacy");
  QTest::newRow("strong") << false;
  QTest::newRow("legacy") << true;
}

// The dialog is open on Beta when another writer (a Secret Service client,
// a reload) deletes Alpha: OK changes Beta, and Gamma, now where Beta was in
// the list, stays as it was.
void DialogsTest::AnEditLandsInItsEntryWhateverAnotherWriterRemoved() {
  QFETCH(bool, legacy);
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Alpha", "a", "pa"}, {"Beta", "b", "pb"}, {"Gamma", "g", "pg"}},
                              legacy ? SafeFormat::kLegacy : SafeFormat::kStrong);
  auto indexOf = [&world](std::string_view title) {
    const std::vector<Entry>& entries = world.App().GetEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].title == title) return static_cast<int>(i);
    }
    return -1;
  };
  const std::vector<std::string> titles = ColumnTexts(world.Window(), 0);
  const auto beta = std::find(titles.begin(), titles.end(), "Beta");
  QVERIFY(beta != titles.end());
  world.Window().ListView()->selectRow(static_cast<int>(beta - titles.begin()));
  OnNextModalDialog(world.Window(), [&](QDialog& dialog) {
    QVERIFY(world.App().DeleteEntry(indexOf("Alpha")));
    Fill(dialog, {{"passwordEdit", "changed"}});
    dialog.accept();
  });
  QVERIFY(RunEntryDialog(world.App(), world.Window(), &world.Window(), false));
  QCOMPARE(indexOf("Alpha"), -1);
  QCOMPARE(world.App().GetEntry(indexOf("Beta"))->password.view(), std::string_view("changed"));
  const Entry* gamma = world.App().GetEntry(indexOf("Gamma"));
  QVERIFY(gamma != nullptr);
  QCOMPARE(gamma->password.view(), std::string_view("pg"));
  QVERIFY(gamma->history.empty());
  QCOMPARE(world.App().GetEntries().size(), size_t{2});
}

void DialogsTest::LongestFieldsSurviveAddSaveLoadAndEdit() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {}, SafeFormat::kLegacy);
  const QString longest(259, QChar('d'));
  const QString longPassword = QString(258, QChar('p')) + "!";
  OnNextModalDialog(world.Window(), [&](QDialog& dialog) {
    Fill(dialog, {{"descriptionEdit", longest + "overflow"}, {"userNameEdit", "u"}, {"passwordEdit", longPassword}});
    dialog.accept();
  });
  QVERIFY(RunEntryDialog(world.App(), world.Window(), &world.Window(), true));

  world.App().LogOut();
  QVERIFY(world.App().LogIn("alice", "pw"));
  world.Window().ListView()->selectRow(0);
  QString shown;
  OnNextModalDialog(world.Window(), [&](QDialog& dialog) {
    shown = Edit(dialog, "descriptionEdit")->text() + "|" + Edit(dialog, "passwordEdit")->text();
    Edit(dialog, "userNameEdit")->setText("changed");
    dialog.accept();
  });
  QVERIFY(RunEntryDialog(world.App(), world.Window(), &world.Window(), false));
  QCOMPARE(shown, longest + "|" + longPassword);

  world.App().LogOut();
  QVERIFY(world.App().LogIn("alice", "pw"));
  const Entry* stored = world.App().GetEntry(0);
  QVERIFY(stored != nullptr);
  QCOMPARE(QString(stored->title.c_str()), longest);
  QCOMPARE(QString(stored->userName.c_str()), QString("changed"));
  QCOMPARE(QString(stored->password.c_str()), longPassword);
}

void DialogsTest::WholeEntryRoundTripOnAStrongSafe() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {});
  OnNextModalDialog(world.Window(), [&](QDialog& dialog) {
    QWidget* generate = dialog.findChild<QWidget*>("generateButton");
    QCOMPARE(generate->nextInFocusChain(), dialog.findChild<QWidget*>("urlEdit"));
    // After the details panel, the button row from the left: "SSH Key...", then OK.
    QWidget* sshKey = dialog.findChild<QWidget*>("sshKeyButton");
    QCOMPARE(dialog.findChild<QWidget*>("excludeFromReportsCheck")->nextInFocusChain(), sshKey);
    QCOMPARE(sshKey->nextInFocusChain(), dialog.findChild<QWidget*>("okButton"));
    Fill(dialog, {{"descriptionEdit", "Mail\tbox"},
                  {"userNameEdit", "alice"},
                  {"passwordEdit", "first"},
                  {"urlEdit", "https://mail.example"},
                  {"oneTimeCodeEdit", "jbsw y3dp ehpk 3pxp"},
                  {"tagsEdit", "Work/VPN, mail"}});
    dialog.findChild<QPlainTextEdit*>("notesEdit")->setPlainText("recovery\ncodes");
    dialog.accept();
  });
  QVERIFY(RunEntryDialog(world.App(), world.Window(), &world.Window(), true));

  world.App().LogOut();
  QVERIFY(world.App().LogIn("alice", "pw"));
  const Entry* stored = world.App().GetEntry(0);
  QVERIFY(stored != nullptr);
  QCOMPARE(stored->title.view(), std::string_view("Mail\tbox"));
  QCOMPARE(stored->url.view(), std::string_view("https://mail.example"));
  QCOMPARE(stored->notes.view(), std::string_view("recovery\ncodes"));
  QVERIFY(stored->totp.view().starts_with("otpauth://totp/"));
  QVERIFY(stored->totp.view().find("JBSWY3DPEHPK3PXP") != std::string_view::npos);
  QVERIFY(stored->HasTag("Work/VPN") && stored->HasTag("mail"));

  // An edit changes the password: the first one goes to the history.
  world.Window().ListView()->selectRow(0);
  QString shownUrl;
  OnNextModalDialog(world.Window(), [&](QDialog& dialog) {
    shownUrl = Edit(dialog, "urlEdit")->text();
    Fill(dialog, {{"passwordEdit", "second"}, {"urlEdit", "https://mail.example/login"}});
    dialog.accept();
  });
  QVERIFY(RunEntryDialog(world.App(), world.Window(), &world.Window(), false));
  QCOMPARE(shownUrl, QString("https://mail.example"));
  stored = world.App().GetEntry(0);
  QCOMPARE(stored->password.view(), std::string_view("second"));
  QCOMPARE(stored->url.view(), std::string_view("https://mail.example/login"));
  QCOMPARE(stored->notes.view(), std::string_view("recovery\ncodes"));
  QCOMPARE(stored->history.size(), size_t{1});

  // Restore puts the earlier password back into the password field.
  world.Window().ListView()->selectRow(0);
  QString restored;
  OnNextModalDialog(world.Window(), [&](QDialog& dialog) {
    dialog.findChild<QPushButton*>("restoreButton")->click();
    restored = Edit(dialog, "passwordEdit")->text();
    dialog.accept();
  });
  QVERIFY(RunEntryDialog(world.App(), world.Window(), &world.Window(), false));
  QCOMPARE(restored, QString("first"));
  QCOMPARE(world.App().GetEntry(0)->password.view(), std::string_view("first"));
  QVERIFY(world.Messages().empty());
}

void DialogsTest::LegacySafeDisablesTheDetailsWithTheNote() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {}, SafeFormat::kLegacy);
  bool noteShown = false;
  bool urlEnabled = true;
  OnNextModalDialog(world.Window(), [&](QDialog& dialog) {
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
      if (label->text() == QString::fromLatin1(kNeedsStrongFormatMessage)) noteShown = label->isVisibleTo(&dialog);
    }
    urlEnabled = Edit(dialog, "urlEdit")->isEnabled();
    Fill(dialog, {{"descriptionEdit", "Mail"}, {"passwordEdit", "pw1"}});
    dialog.accept();
  });
  QVERIFY(RunEntryDialog(world.App(), world.Window(), &world.Window(), true));
  QVERIFY(noteShown);
  QVERIFY(!urlEnabled);
  QCOMPARE(world.App().GetEntry(0)->title.view(), std::string_view("Mail"));
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
