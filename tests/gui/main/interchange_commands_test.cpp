// File > "&Import..." and "Ex&port...": greyed without a safe, and through
// the real file dialog into and out of the open safe.
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <sys/stat.h>

#include "app/command_ids.h"
#include "app/gui/interchange_commands.h"
#include "app/gui/main_window.h"
#include "gui_test_support.h"
#include "tests/unit/safe/safe_test_dir.h"
#include "app/safe_transfer.h"

class InterchangeCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void ItemsAreThereOnlyWhileASafeIsOpen();
  void ImportThroughTheFileDialog();
  void ExportThroughTheFileDialog();
  void DialogsStartInTheDocumentsFolderNeverInTheSafeFolder();
};

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
  QCOMPARE(filters.first(), QString("Any supported file (*.csv *.xml *.json)"));
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
  QCOMPARE(filters.size(), 5);
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

QTEST_MAIN(InterchangeCommandsTest)
#include "interchange_commands_test.moc"
