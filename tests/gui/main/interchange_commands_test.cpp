// File > "&Import..." and "Ex&port...": greyed without a safe, and through
// the real file dialog into and out of the open safe.
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QLabel>
#include <QApplication>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <sys/stat.h>

#include "app/command_ids.h"
#include "interchange/gui/file_key_dialog.h"
#include "interchange/gui/interchange_commands.h"
#include "app/gui/main_window.h"
#include "gui_test_support.h"
#include "tests/unit/safe/safe_test_dir.h"
#include "app/safe_transfer.h"
#include "interchange/import_file.h"
#include "tests/unit/interchange/cheap_kdbx_settings.h"

class InterchangeCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void ItemsAreThereOnlyWhileASafeIsOpen();
  void ImportThroughTheFileDialog();
  void ExportThroughTheFileDialog();
  void DialogsStartInTheDocumentsFolderNeverInTheSafeFolder();
  void AProtectedFileAsksItsPasswordAgainUntilItOpens();
  void CancellingTheFilePasswordImportsNothing();
  void ANewFilePasswordIsCheckedBeforeTheDialogCloses();
  void AKeePassDatabaseIsExportedUnderANewPasswordAndReadBack();
  void AKeePassDatabaseIsImportedWithItsPasswordAndKeyFile();
};

namespace {

// Runs action on each file-key dialog as it is shown, with its number from 1.
void OnEachFileKeyDialog(QObject& context, std::function<void(FileKeyDialog& dialog, int shown)> action) {
  auto* timer = new QTimer(&context);
  timer->setInterval(10);
  // Each dialog is marked once handled: the next may be built where the last was.
  auto shown = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [shown, action = std::move(action)] {
    auto* dialog = qobject_cast<FileKeyDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible() || dialog->property("handled").toBool()) return;
    dialog->setProperty("handled", true);
    action(*dialog, ++*shown);
  });
  timer->start();
}

// Chooses path in the next file dialog.
void ChooseFile(GuiTestWorld& world, const QString& path) {
  OnNextModalDialog(world.Window(), [path](QDialog& dialog) {
    auto& files = static_cast<QFileDialog&>(dialog);
    files.selectFile(path);
    KeepAccepting(files, path);
  });
}

QString CopyOfFixture(GuiTestWorld& world, const char* name) {
  const QString copy = world.Folder() + "/" + name;
  QFile::copy(QStringLiteral(QUILLBOX_TEST_DATA_DIR "/interchange/") + name, copy);
  return copy;
}

}  // namespace

void InterchangeCommandsTest::ItemsAreThereOnlyWhileASafeIsOpen() {
  GuiTestWorld world;
  MainWindow& window = world.Window();
  QCOMPARE(window.MenuAction(kCmdImport)->text(), QString("&Import..."));
  QCOMPARE(window.MenuAction(kCmdExport)->text(), QString("Ex&port..."));
  QVERIFY(!window.MenuAction(kCmdImport)->isEnabled());
  QVERIFY(!window.MenuAction(kCmdExport)->isEnabled());
  world.CreateUserWithEntries("alice", "pw", {});
  QVERIFY(window.MenuAction(kCmdImport)->isEnabled());
  QVERIFY(window.MenuAction(kCmdExport)->isEnabled());
  window.RunCommand(kCmdLogOut);
  QVERIFY(!window.MenuAction(kCmdImport)->isEnabled());
  QVERIFY(!window.MenuAction(kCmdExport)->isEnabled());
}

void InterchangeCommandsTest::ImportThroughTheFileDialog() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Kept", "me", "x"}});
  QString path = world.Folder() + "/passwords.csv";
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("name,url,username,password\nBank,https://bank.example.com,jdoe,s3cr3t\n");
  file.close();
  QStringList filters;
  OnNextModalDialog(world.Window(), [&](QDialog& dialog) {
    auto& files = static_cast<QFileDialog&>(dialog);
    filters = files.nameFilters();
    files.selectNameFilter("Chrome CSV (*.csv)");
    files.selectFile(path);
    KeepAccepting(files, path);
  });
  world.Window().RunCommand(kCmdImport);
  QCOMPARE(filters.first(), QString("Any supported file (*.csv *.xml *.json *.kdbx)"));
  QVERIFY(filters.contains("KeePass database (*.kdbx)"));
  QVERIFY(filters.contains("KeePass XML (*.xml)"));
  QVERIFY(filters.contains("Firefox CSV (*.csv)"));
  QCOMPARE(world.Messages().size(), size_t{1});
  QCOMPARE(world.Messages()[0].caption, std::string(kImportCaption));
  QVERIFY(world.Messages()[0].text.starts_with("1 entry read as chrome-csv.\n1 new entry to import.\n"));
  QCOMPARE(world.App().GetEntries().size(), size_t{2});
  QCOMPARE(ToVector(world.App().GetEntries())[1], std::string("Bank\tjdoe\ts3cr3t"));
  QCOMPARE(world.Window().statusBar()->currentMessage(), QString("Imported 1 entry from passwords.csv."));
}

void InterchangeCommandsTest::ExportThroughTheFileDialog() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "s3cr3t"}});
  QStringList filters;
  OnNextModalDialog(world.Window(), [&](QDialog& dialog) {
    auto& files = static_cast<QFileDialog&>(dialog);
    filters = files.nameFilters();
    files.selectNameFilter("KeePass XML (*.xml)");
    // The dialog starts where the last one ended, a folder removed since.
    files.setDirectory(world.Folder());
    files.selectFile("vault");
    KeepAccepting(files, "vault");
  });
  world.Window().RunCommand(kCmdExport);
  QVERIFY(!filters.contains("Chrome CSV (*.csv)"));
  QCOMPARE(filters.size(), 6);
  QVERIFY(filters.contains("KeePass database (*.kdbx)"));
  QCOMPARE(world.Messages().size(), size_t{1});
  QCOMPARE(world.Messages()[0].caption, std::string(kExportCaption));
  std::string written = (world.Folder() + "/vault.xml").toStdString();
  struct stat info;
  QCOMPARE(stat(written.c_str(), &info), 0);
  QCOMPARE(info.st_mode & 0777, 0600u);
  QFile file(QString::fromStdString(written));
  QVERIFY(file.open(QIODevice::ReadOnly));
  QVERIFY(file.readAll().contains("<Value ProtectInMemory=\"True\">s3cr3t</Value>"));
  QCOMPARE(world.Window().statusBar()->currentMessage(), QString("Exported the safe to vault.xml."));
}

void InterchangeCommandsTest::DialogsStartInTheDocumentsFolderNeverInTheSafeFolder() {
  GuiTestWorld world;
  const QString home = world.Folder() + "/home";
  QVERIFY(QDir().mkpath(home + "/Papers"));
  const QByteArray oldHome = qgetenv("HOME");
  qputenv("HOME", home.toUtf8());
  const auto documentsAre = [&world](const QString& folder) {
    QFile dirs(world.Folder() + "/config/user-dirs.dirs");
    QVERIFY(dirs.open(QIODevice::WriteOnly | QIODevice::Truncate));
    dirs.write("XDG_DOCUMENTS_DIR=\"" + folder.toUtf8() + "\"\n");
  };
  documentsAre("$HOME/Papers");
  QCOMPARE(InterchangeStartFolder(), home + "/Papers");
  world.CreateUserWithEntries("alice", "pw", {});
  for (const int command : {kCmdImport, kCmdExport}) {
    QString started;
    OnNextModalDialog(world.Window(), [&started](QDialog& dialog) {
      started = static_cast<QFileDialog&>(dialog).directory().absolutePath();
      dialog.reject();
    });
    world.Window().RunCommand(command);
    QCOMPARE(started, home + "/Papers");
  }
  // Documents set to the safe folder (here the program's folder), or missing: home.
  documentsAre(world.Folder());
  QCOMPARE(InterchangeStartFolder(), home);
  documentsAre("$HOME/Gone");
  QCOMPARE(InterchangeStartFolder(), home);
  qputenv("HOME", oldHome);
}

void InterchangeCommandsTest::AProtectedFileAsksItsPasswordAgainUntilItOpens() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Kept", "me", "x"}});
  ChooseFile(world, CopyOfFixture(world, "bitwarden-protected-pbkdf2.json"));
  QStringList problems;
  QString file;
  OnEachFileKeyDialog(world.Window(), [&](FileKeyDialog& dialog, int shown) {
    auto* problem = dialog.findChild<QLabel*>("problemLabel");
    problems << (problem->isVisible() ? problem->text() : QString());
    file = dialog.findChild<QLineEdit*>("fileEdit")->text();
    QVERIFY(dialog.findChild<QLineEdit*>("keyFileEdit") == nullptr);
    QVERIFY(dialog.findChild<QLineEdit*>("confirmEdit") == nullptr);
    dialog.findChild<QLineEdit*>("passwordEdit")->setText(shown == 1 ? "wrong" : "fixture-export-password");
    dialog.findChild<QPushButton*>("okButton")->click();
  });
  world.Window().RunCommand(kCmdImport);
  QCOMPARE(file, QString("bitwarden-protected-pbkdf2.json"));
  QCOMPARE(problems, QStringList({"", "The file's password is wrong; nothing was imported."}));
  QCOMPARE(world.Messages().size(), size_t{1});
  QVERIFY(world.Messages()[0].text.starts_with("4 entries read as bitwarden-json.\n4 new entries to import.\n"));
  QCOMPARE(world.App().GetEntries().size(), size_t{5});
}

void InterchangeCommandsTest::CancellingTheFilePasswordImportsNothing() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Kept", "me", "x"}});
  ChooseFile(world, CopyOfFixture(world, "bitwarden-protected-argon2id.json"));
  int shown = 0;
  OnEachFileKeyDialog(world.Window(), [&](FileKeyDialog& dialog, int) {
    ++shown;
    dialog.findChild<QPushButton*>("cancelButton")->click();
  });
  world.Window().RunCommand(kCmdImport);
  QCOMPARE(shown, 1);
  QVERIFY(world.Messages().empty());
  QCOMPARE(world.App().GetEntries().size(), size_t{1});
}

void InterchangeCommandsTest::ANewFilePasswordIsCheckedBeforeTheDialogCloses() {
  FileKeyRequest request;
  request.file_name = "out.kdbx";
  request.takes_key_file = true;
  request.new_key = true;
  FileKeyDialog dialog(request, nullptr);
  dialog.show();
  auto* password = dialog.findChild<QLineEdit*>("passwordEdit");
  auto* confirm = dialog.findChild<QLineEdit*>("confirmEdit");
  auto* keyFile = dialog.findChild<QLineEdit*>("keyFileEdit");
  auto* problem = dialog.findChild<QLabel*>("problemLabel");
  QVERIFY(dialog.findChild<QPushButton*>("browseButton") != nullptr);
  const struct {
    const char* password;
    const char* confirm;
    const char* keyFile;
    const char* problem;  // null: accepted
  } cases[] = {
      {"one", "two", "", "Passwords do not match."},
      {"", "", "", "An empty password needs a key file."},
      {"", "", "/some/key", nullptr},
      {"same", "same", "", nullptr},
  };
  for (const auto& c : cases) {
    password->setText(c.password);
    confirm->setText(c.confirm);
    keyFile->setText(c.keyFile);
    dialog.setResult(QDialog::Rejected);
    dialog.accept();
    QCOMPARE(dialog.result() == QDialog::Accepted, c.problem == nullptr);
    if (c.problem != nullptr) QCOMPARE(problem->text(), QString(c.problem));
    if (c.problem == nullptr) {
      FileKeyAnswer answer;
      dialog.Answer(&answer);
      QCOMPARE(std::string(answer.password.view()), std::string(c.password));
      QCOMPARE(answer.key_file_path, std::string(c.keyFile));
      dialog.show();
    }
  }
}

void InterchangeCommandsTest::AKeePassDatabaseIsExportedUnderANewPasswordAndReadBack() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Bank", "jdoe", "s3cr3t"}});
  SetKdbxWriteSettings(CheapKdbxSettings());
  OnNextModalDialog(world.Window(), [&](QDialog& dialog) {
    auto& files = static_cast<QFileDialog&>(dialog);
    files.selectNameFilter("KeePass database (*.kdbx)");
    files.setDirectory(world.Folder());
    files.selectFile("vault");
    KeepAccepting(files, "vault");
  });
  OnEachFileKeyDialog(world.Window(), [](FileKeyDialog& dialog, int) {
    dialog.findChild<QLineEdit*>("passwordEdit")->setText("db pw");
    dialog.findChild<QLineEdit*>("confirmEdit")->setText("db pw");
    dialog.findChild<QPushButton*>("okButton")->click();
  });
  world.Window().RunCommand(kCmdExport);
  QVERIFY(world.Messages().empty());  // no plain-text warning
  const std::string written = (world.Folder() + "/vault.kdbx").toStdString();
  struct stat info;
  QCOMPARE(stat(written.c_str(), &info), 0);
  QCOMPARE(info.st_mode & 0777, 0600u);
  QCOMPARE(world.Window().statusBar()->currentMessage(), QString("Exported the safe to vault.kdbx."));
  ImportText text;
  std::string error;
  QVERIFY(ReadImportText(written, &text, &error));
  ImportPlan plan(SafeFormat::kStrong);
  FileKey key{SecretText("db pw"), std::nullopt};
  QVERIFY2(PlanImportText(text.bytes, "", &plan, &error, &key), error.c_str());
  QCOMPARE(ToVector(plan.Entries()), std::vector<std::string>({"Bank\tjdoe\ts3cr3t"}));
}

void InterchangeCommandsTest::AKeePassDatabaseIsImportedWithItsPasswordAndKeyFile() {
  GuiTestWorld world;
  world.CreateUserWithEntries("alice", "pw", {{"Kept", "me", "x"}});
  const std::string keyText = "any file can be a key file";
  const QString keyPath = world.Folder() + "/db.key";
  WriteTextFile(keyPath.toStdString(), keyText);
  EntryList entries;
  Fill(entries, {"Bank\tjdoe\ts3cr3t"});
  FileKey key{SecretText("db pw"), WipingBytes(keyText.begin(), keyText.end())};
  std::string bytes, error;
  QVERIFY2(WriteKdbxWith(entries.entries, key, CheapKdbxSettings(), &bytes, &error), error.c_str());
  const QString path = world.Folder() + "/vault.kdbx";
  WriteTextFile(path.toStdString(), bytes);
  ChooseFile(world, path);
  QStringList problems;
  OnEachFileKeyDialog(world.Window(), [&](FileKeyDialog& dialog, int shown) {
    auto* problem = dialog.findChild<QLabel*>("problemLabel");
    problems << (problem->isVisible() ? problem->text() : QString());
    QVERIFY(dialog.findChild<QPushButton*>("browseButton") != nullptr);
    dialog.findChild<QLineEdit*>("passwordEdit")->setText("db pw");
    if (shown == 2) dialog.findChild<QLineEdit*>("keyFileEdit")->setText(keyPath);
    dialog.findChild<QPushButton*>("okButton")->click();
  });
  world.Window().RunCommand(kCmdImport);
  QCOMPARE(problems, QStringList({"", "The database's password or key file is wrong."}));
  QCOMPARE(world.Messages().size(), size_t{1});
  QVERIFY(world.Messages()[0].text.starts_with("1 entry read as kdbx.\n1 new entry to import.\n"));
  QCOMPARE(ToVector(world.App().GetEntries()), std::vector<std::string>({"Kept\tme\tx", "Bank\tjdoe\ts3cr3t"}));
}

QTEST_MAIN(InterchangeCommandsTest)
#include "interchange_commands_test.moc"
