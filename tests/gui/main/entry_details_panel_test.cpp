#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

#include "app/gui/custom_fields_table.h"
#include "app/gui/entry_details_panel.h"
#include "interchange/import_plan.h"
#include "safe/entry_field_rules.h"
#include "safe/one_time_code.h"

namespace {

constexpr char kCanonicalSecretUri[] = "otpauth://totp/?secret=JBSWY3DPEHPK3PXP";

// Every field the panel shows, with bytes a UTF-8 editor would give back in
// another form: Windows-1252 letters, CR LF line breaks, a no-break space,
// a non-canonical URI and a tag holding a comma.
Entry FullEntry() {
  Entry entry;
  entry.id = EntryId::Random();
  entry.title = "Bank";
  entry.userName = "alice";
  entry.password = "current-pw";
  entry.url = "https://caf\xE9.example/";
  entry.notes = "line one\r\nno-break\xC2\xA0space\r\ncaf\xE9\n";
  entry.totp = "otpauth://totp/Bank:alice?secret=jbswy3dpehpk3pxp&period=30";
  entry.AddTag("Work/VPN");
  entry.AddTag("caf\xE9");
  entry.AddTag("a,b");
  entry.SetField("PIN",
                 "12\xE9"
                 "4",
                 true);
  entry.SetField("Account", "0042", false);
  entry.SetField(
      "Sp\xE9"
      "cial",
      "", false);
  entry.created = 1000;
  entry.modified = 2000;
  entry.KeepInHistory("first-pw", 1700000000);
  entry.KeepInHistory("second-pw", 1750000000);
  return entry;
}

template <typename Widget>
Widget* Find(EntryDetailsPanel& panel, const char* name) {
  Widget* widget = panel.findChild<Widget*>(QString::fromLatin1(name));
  if (widget == nullptr) qFatal("no control %s", name);
  return widget;
}

QTableWidget& FieldsTable(EntryDetailsPanel& panel) { return *Find<QTableWidget>(panel, "customFieldsTable"); }

void SetField(EntryDetailsPanel& panel, int row, const QString& name, const QString& value, bool isProtected) {
  auto& table = static_cast<CustomFieldsTable&>(FieldsTable(panel));
  // Leaving the current cell ends an open edit, which would write over these.
  table.setCurrentIndex(QModelIndex());
  table.item(row, 0)->setText(name);
  table.SetValue(row, value);
  table.item(row, 2)->setCheckState(isProtected ? Qt::Checked : Qt::Unchecked);
}

void AddField(EntryDetailsPanel& panel, const QString& name, const QString& value, bool isProtected) {
  Find<QPushButton>(panel, "addFieldButton")->click();
  SetField(panel, FieldsTable(panel).rowCount() - 1, name, value, isProtected);
}

const QStringList kTabOrder = {"urlEdit",           "notesEdit",      "oneTimeCodeEdit",        "tagsEdit",
                               "customFieldsTable", "addFieldButton", "removeFieldButton",      "showCheck",
                               "historyList",       "restoreButton",  "excludeFromReportsCheck"};

}  // namespace

class EntryDetailsPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void LoadThenStoreKeepsEveryFieldAndTouchesNoOther();
  void EditedFieldsAreStoredInTheirForm();
  void InvalidInputIsRefusedAndTheEntryUnchanged_data();
  void InvalidInputIsRefusedAndTheEntryUnchanged();
  void ImportedIdIsShownReadOnlyAndKept();
  void LegacySafeDisablesEveryControl();
  void RestoreEmitsTheChosenEarlierPassword();
  void SecretsStayMaskedUntilShow();
  void TabVisitsEveryControlInOrder();
  void LabelsAndNamesServeTheKeyboard();
};

void EntryDetailsPanelTest::LoadThenStoreKeepsEveryFieldAndTouchesNoOther() {
  const Entry full = FullEntry();
  EntryDetailsPanel panel;
  panel.Load(full);
  Entry other;
  other.title = "Other";
  other.password = "other-pw";
  other.KeepInHistory("other-old", 5);
  const Entry untouched = other;
  QCOMPARE(panel.Store(other), nullptr);

  Entry expected = untouched;
  expected.url = full.url;
  expected.notes = full.notes;
  expected.totp = full.totp;
  expected.tags = full.tags;
  expected.fields = full.fields;
  QVERIFY(other == expected);
}

void EntryDetailsPanelTest::EditedFieldsAreStoredInTheirForm() {
  EntryDetailsPanel panel;
  panel.Load(FullEntry());
  QCOMPARE(Find<QLineEdit>(panel, "tagsEdit")->text(), QString::fromUtf8("Work/VPN, a,b, caf\xC3\xA9"));

  Find<QLineEdit>(panel, "urlEdit")->setText("https://example.org/");
  Find<QPlainTextEdit>(panel, "notesEdit")->setPlainText(QString::fromUtf8("recovery:\nA1 B2 \xE2\x82\xAC"));
  Find<QLineEdit>(panel, "oneTimeCodeEdit")->setText(" jbsw y3dp ehpk 3pxp ");
  // A group path is one tag; a tag reading as a loaded one keeps its bytes.
  Find<QLineEdit>(panel, "tagsEdit")->setText(QString::fromUtf8("zeta, Work/VPN,, caf\xC3\xA9 ,zeta"));
  SetField(panel, 1, "Account", "0043", true);
  AddField(panel, "Recovery", "r-1", false);
  AddField(panel, "", "", false);  // a blank row is left out

  Entry entry = FullEntry();
  QCOMPARE(panel.Store(entry), nullptr);
  QCOMPARE(entry.url.view(), "https://example.org/");
  QCOMPARE(entry.notes.view(), "recovery:\nA1 B2 \xE2\x82\xAC");
  QCOMPARE(entry.totp.view(), kCanonicalSecretUri);
  QCOMPARE(entry.tags, (std::vector<SecretText>{SecretText("Work/VPN"), SecretText("caf\xE9"), SecretText("zeta")}));
  QCOMPARE(entry.fields.size(), size_t(4));
  QVERIFY(entry.fields[0] == FullEntry().fields[0]);
  QVERIFY((entry.fields[1] == CustomField{SecretText("Account"), SecretText("0043"), true}));
  QVERIFY(entry.fields[2] == FullEntry().fields[2]);
  QVERIFY((entry.fields[3] == CustomField{SecretText("Recovery"), SecretText("r-1"), false}));

  Find<QLineEdit>(panel, "oneTimeCodeEdit")->clear();
  FieldsTable(panel).setCurrentCell(0, 0);
  Find<QPushButton>(panel, "removeFieldButton")->click();
  QCOMPARE(panel.Store(entry), nullptr);
  QVERIFY(entry.totp.empty());
  QCOMPARE(entry.fields.size(), size_t(3));
  QCOMPARE(entry.fields[0].name.view(), "Account");
}

void EntryDetailsPanelTest::ImportedIdIsShownReadOnlyAndKept() {
  Entry imported = FullEntry();
  imported.SetField(kSourceIdField, "keepass:ZW50cnk=", false);
  EntryDetailsPanel panel;
  panel.Load(imported);
  QTableWidget& table = FieldsTable(panel);
  const int row = table.rowCount() - 1;
  QCOMPARE(table.item(row, 0)->text(), QString(kSourceIdField));
  QCOMPARE(table.item(row, 1)->text(), QString("keepass:ZW50cnk="));
  for (int column = 0; column < 3; ++column) {
    QVERIFY(!(table.item(row, column)->flags() & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)));
  }
  auto* remove = Find<QPushButton>(panel, "removeFieldButton");
  table.setCurrentCell(row, 1);
  QVERIFY(!remove->isEnabled());
  static_cast<CustomFieldsTable&>(table).RemoveCurrentRow();
  table.setCurrentCell(0, 1);
  QVERIFY(remove->isEnabled());

  Entry stored = imported;
  QCOMPARE(panel.Store(stored), nullptr);
  QVERIFY(stored == imported);
  // Another row named like it is one name twice.
  AddField(panel, kSourceIdField, "keepass:forged", false);
  QCOMPARE(panel.Store(stored), kCustomFieldNameRepeatedMessage);
}

void EntryDetailsPanelTest::InvalidInputIsRefusedAndTheEntryUnchanged_data() {
  QTest::addColumn<QString>("control");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("message");
  QTest::newRow("not base32") << "oneTimeCodeEdit"
                              << "hello world 1" << kOtpInputInvalidMessage;
  QTest::newRow("counter-based URI") << "oneTimeCodeEdit"
                                     << "otpauth://hotp/x?secret=JBSWY3DPEHPK3PXP" << kOtpHotpNotSupportedMessage;
  QTest::newRow("URI without secret") << "oneTimeCodeEdit"
                                      << "otpauth://totp/x?issuer=Bank" << kOtpSecretMissingMessage;
  QTest::newRow("field without name") << "field"
                                      << "|value" << kCustomFieldNameEmptyMessage;
  QTest::newRow("repeated field name") << "field"
                                       << "PIN|9" << kCustomFieldNameRepeatedMessage;
  QTest::newRow("101 custom fields") << "fields"
                                     << "98" << kTooManyCustomFieldsMessage;
  QTest::newRow("101 tags") << "tags"
                            << "101" << kTooManyTagsMessage;
  // Within the edit's length in characters, beyond 64 KiB in UTF-8.
  QTest::newRow("web address over 64 KiB") << "urlEdit" << QString(30000, QChar(0x20AC)) << kEntryTextTooLongMessage;
  QTest::newRow("tag over 64 KiB") << "tagsEdit" << QString(30000, QChar(0x20AC)) << kEntryTextTooLongMessage;
  QTest::newRow("notes over 1 MiB") << "notesEdit" << QString(1024 * 1024 + 1, QLatin1Char('n'))
                                    << kEntryNotesTooLongMessage;
  QTest::newRow("NUL in the web address") << "urlEdit" << QString("a") + QChar(0) + "b" << kEntryTextHasNulMessage;
}

void EntryDetailsPanelTest::InvalidInputIsRefusedAndTheEntryUnchanged() {
  QFETCH(QString, control);
  QFETCH(QString, text);
  QFETCH(QString, message);
  EntryDetailsPanel panel;
  panel.Load(FullEntry());
  // A valid change alongside shows that nothing is written in part.
  Find<QLineEdit>(panel, "urlEdit")->setText("https://changed.example/");
  if (control == "field") {
    AddField(panel, text.section('|', 0, 0), text.section('|', 1), false);
  } else if (control == "fields") {
    for (int n = 0; n < text.toInt(); ++n) AddField(panel, QString("f%1").arg(n), "v", false);
  } else if (control == "tags") {
    QStringList tags;
    for (int n = 0; n < text.toInt(); ++n) tags.append(QString("t%1").arg(n));
    Find<QLineEdit>(panel, "tagsEdit")->setText(tags.join(','));
  } else if (control == "notesEdit") {
    Find<QPlainTextEdit>(panel, "notesEdit")->setPlainText(text);
  } else {
    Find<QLineEdit>(panel, control.toLatin1().constData())->setText(text);
  }

  Entry entry = FullEntry();
  entry.id = EntryId();
  const Entry before = entry;
  const char* why = panel.Store(entry);
  QCOMPARE(QString::fromLatin1(why), message);
  QVERIFY(entry == before);
}

void EntryDetailsPanelTest::LegacySafeDisablesEveryControl() {
  EntryDetailsPanel panel;
  panel.Load(Entry());
  panel.SetLegacy(true);
  for (const QString& name : kTabOrder) {
    QVERIFY2(!Find<QWidget>(panel, name.toLatin1().constData())->isEnabled(), qPrintable(name));
  }
  bool noteShown = false;
  for (QLabel* label : panel.findChildren<QLabel*>()) {
    if (label->text() == QString::fromLatin1(kNeedsStrongFormatMessage)) noteShown = !label->isHidden();
  }
  QVERIFY(noteShown);
  QVERIFY(QString::fromLatin1(kNeedsStrongFormatMessage).contains("Upgrade Safe Encryption..."));

  // Nothing reaches a legacy entry, whatever the controls hold.
  Find<QLineEdit>(panel, "urlEdit")->setText("https://example.org/");
  Entry entry;
  entry.title = "t";
  const Entry before = entry;
  QCOMPARE(panel.Store(entry), nullptr);
  QVERIFY(entry == before);

  panel.SetLegacy(false);
  for (const char* name : {"urlEdit", "notesEdit", "customFieldsTable", "addFieldButton", "showCheck"}) {
    QVERIFY2(Find<QWidget>(panel, name)->isEnabled(), name);
  }
}

void EntryDetailsPanelTest::RestoreEmitsTheChosenEarlierPassword() {
  EntryDetailsPanel panel;
  panel.Load(FullEntry());
  auto* history = Find<QTreeWidget>(panel, "historyList");
  QCOMPARE(history->topLevelItemCount(), 2);
  // Newest first, with the day each was replaced.
  QCOMPARE(history->topLevelItem(0)->text(1), QDateTime::fromSecsSinceEpoch(1750000000).toString("yyyy-MM-dd HH:mm"));
  QSignalSpy restored(&panel, &EntryDetailsPanel::restorePassword);
  history->setCurrentItem(history->topLevelItem(1));
  Find<QPushButton>(panel, "restoreButton")->click();
  history->setCurrentItem(history->topLevelItem(0));
  Find<QPushButton>(panel, "restoreButton")->click();
  QCOMPARE(restored.size(), 2);
  QCOMPARE(restored[0][0].toString(), QString("first-pw"));
  QCOMPARE(restored[1][0].toString(), QString("second-pw"));

  panel.Load(Entry());
  QVERIFY(!Find<QPushButton>(panel, "restoreButton")->isEnabled());
}

void EntryDetailsPanelTest::SecretsStayMaskedUntilShow() {
  EntryDetailsPanel panel;
  panel.Load(FullEntry());
  QTableWidget& table = FieldsTable(panel);
  auto* history = Find<QTreeWidget>(panel, "historyList");
  auto* oneTimeCode = Find<QLineEdit>(panel, "oneTimeCodeEdit");
  const QString pin = QString::fromUtf8(
      "12\xC3\xA9"
      "4");
  QVERIFY(table.item(0, 1)->text() != pin);
  QCOMPARE(table.item(1, 1)->text(), QString("0042"));
  QVERIFY(history->topLevelItem(0)->text(0) != "second-pw");
  QCOMPARE(oneTimeCode->echoMode(), QLineEdit::Password);

  Find<QCheckBox>(panel, "showCheck")->setChecked(true);
  QCOMPARE(table.item(0, 1)->text(), pin);
  QCOMPARE(history->topLevelItem(0)->text(0), QString("second-pw"));
  QCOMPARE(oneTimeCode->echoMode(), QLineEdit::Normal);

  // The view's own Ctrl+C would bypass the clipboard service.
  QApplication::clipboard()->setText("before");
  table.setCurrentCell(0, 1);
  QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->text(), QString("before"));

  // Protecting a field masks it once "Show" is off again.
  Find<QCheckBox>(panel, "showCheck")->setChecked(false);
  table.item(1, 2)->setCheckState(Qt::Checked);
  QVERIFY(table.item(1, 1)->text() != "0042");
  QVERIFY(table.item(0, 1)->text() != pin);
}

void EntryDetailsPanelTest::TabVisitsEveryControlInOrder() {
  EntryDetailsPanel panel;
  panel.Load(FullEntry());
  panel.show();
  QVERIFY(QTest::qWaitForWindowActive(&panel));
  Find<QWidget>(panel, "urlEdit")->setFocus();
  QStringList visited;
  for (int n = 0; n < kTabOrder.size(); ++n) {
    visited.append(QApplication::focusWidget()->objectName());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  QCOMPARE(visited, kTabOrder);
  QCOMPARE(QApplication::focusWidget()->objectName(), kTabOrder[0]);
  // Tab in the notes moves on rather than typing a tab.
  QVERIFY(!Find<QPlainTextEdit>(panel, "notesEdit")->toPlainText().contains('\t'));
}

void EntryDetailsPanelTest::LabelsAndNamesServeTheKeyboard() {
  EntryDetailsPanel panel;
  for (const QString& name : kTabOrder) {
    QVERIFY2(!Find<QWidget>(panel, name.toLatin1().constData())->accessibleName().isEmpty(), qPrintable(name));
  }
  // Mnemonics are unique and leave the entry dialog's letters free.
  QString taken = "dupgoc";
  QStringList texts;
  for (QLabel* label : panel.findChildren<QLabel*>()) {
    if (label->buddy() != nullptr) texts.append(label->text());
  }
  for (const QString& name : kTabOrder) {
    if (auto* button = qobject_cast<QAbstractButton*>(Find<QWidget>(panel, name.toLatin1().constData()))) {
      texts.append(button->text());
    }
  }
  QCOMPARE(texts.size(), 11);
  for (const QString& text : texts) {
    const qsizetype at = text.indexOf('&');
    QVERIFY2(at >= 0 && at + 1 < text.size(), qPrintable(text));
    const QChar letter = text[at + 1].toLower();
    QVERIFY2(!taken.contains(letter), qPrintable(text));
    taken.append(letter);
  }
}

QTEST_MAIN(EntryDetailsPanelTest)
#include "entry_details_panel_test.moc"
