#include "ssh_agent/gui/ssh_key_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "app/gui/entry_dialog.h"
#include "app/gui/entry_field_buffers.h"
#include "app/gui/main_window.h"
#include "app/quillbox_messages.h"
#include "gui_test_support.h"
#include "ssh_agent/entry_ssh_key.h"
#include "tests/unit/ssh_agent/openssh_tools.h"

namespace {

// Made for this test only.
constexpr char kPassphrase[] = "test passphrase";

QString Shown(QDialog& dialog, const char* label) { return dialog.findChild<QLabel*>(label)->text(); }

}  // namespace

class SshKeyDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void LoadsWithTheTypedPasswordAndShowsFingerprintAndComment();
  void AKeyThatDoesNotOpenIsToldAndLeavesTheEntry();
  void LegacySafesHaveNoKeys();
};

void SshKeyDialogTest::LoadsWithTheTypedPasswordAndShowsFingerprintAndComment() {
  GuiTestWorld world;
  QString key = world.Folder() + "/key";
  QVERIFY(!MakeKeyFile(key.toStdString(), {"ecdsa", "-b", "256"}, kPassphrase, "deploy@build").empty());
  EntryFieldBuffers fields;
  fields.format = SafeFormat::kStrong;
  fields.entry.title = "Build";
  EntryDialog entryDialog(true, fields, &world.Window());
  // The passphrase is the password as typed, before OK.
  entryDialog.findChild<QLineEdit*>("passwordEdit")->setText(kPassphrase);

  QString fingerprint, comment;
  OnNextModalDialog(world.Window(), [&](QDialog& dialog) {
    auto& sshDialog = static_cast<SshKeyDialog&>(dialog);
    QCOMPARE(Shown(dialog, "sshKeyFingerprint"), QString("(none)"));
    QVERIFY(sshDialog.LoadKeyFile(key));
    fingerprint = Shown(dialog, "sshKeyFingerprint");
    comment = Shown(dialog, "sshKeyComment");
    dialog.findChild<QSpinBox*>()->setValue(30);
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
      if (box->text() == "Ask before each use") box->setChecked(true);
    }
    dialog.accept();
  });
  entryDialog.findChild<QPushButton*>("sshKeyButton")->click();
  QCOMPARE(fingerprint.toStdString(), KeygenFingerprint(key.toStdString()));
  QCOMPARE(comment, QString("deploy@build"));
  QVERIFY(world.Messages().empty());

  entryDialog.accept();
  QCOMPARE(entryDialog.result(), int(QDialog::Accepted));
  const CustomField* field = fields.entry.FindField(kSshKeyField);
  QVERIFY(field != nullptr && field->isProtected);
  EntrySshOptions options = ReadSshOptions(fields.entry);
  QVERIFY(options.addAtLogIn);
  QCOMPARE(options.removeAfterSeconds, 30u);
  QVERIFY(options.askBeforeUse);
}

void SshKeyDialogTest::AKeyThatDoesNotOpenIsToldAndLeavesTheEntry() {
  GuiTestWorld world;
  QString key = world.Folder() + "/key";
  QVERIFY(!MakeKeyFile(key.toStdString(), {"ed25519"}, kPassphrase, "").empty());
  Entry entry;
  entry.title = "Build";
  entry.password = "not the passphrase";
  SshKeyDialog dialog(entry, &world.Window());
  QVERIFY(!dialog.LoadKeyFile(key));
  QVERIFY(!dialog.LoadKeyFile(world.Folder() + "/missing"));
  QCOMPARE(world.Messages().size(), size_t(2));
  QCOMPARE(world.Messages()[0].text,
           std::string("Entry \"Build\": the SSH key does not open with the entry's password."));
  QCOMPARE(world.Messages()[1].text, std::string("The key file cannot be read."));
  dialog.accept();
  QVERIFY(dialog.Result().fields.empty());
}

void SshKeyDialogTest::LegacySafesHaveNoKeys() {
  GuiTestWorld world;
  EntryFieldBuffers fields;
  fields.format = SafeFormat::kLegacy;
  EntryDialog dialog(true, fields, &world.Window());
  QVERIFY(!dialog.findChild<QPushButton*>("sshKeyButton")->isEnabled());
}

QTEST_MAIN(SshKeyDialogTest)
#include "ssh_key_dialog_test.moc"
