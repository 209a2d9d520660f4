// The window's import and export over the open safe, answered through the
// message-box seam.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/quillbox.h"
#include "interchange/import_file.h"
#include "app/safe_transfer.h"
#include "safe/safe_store.h"
#include "tests/unit/app/fake_view.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

using Lines = std::vector<std::string>;

class SafeTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    app.SetView(&view);
    EntryList entries;
    Fill(entries, {"Kept\tme\tx"});
    ASSERT_TRUE(SaveSafe("alice", "pw", entries));
    ASSERT_TRUE(app.LogIn("alice", "pw"));
  }

  Lines SafeLines() {
    EntryList entries;
    EXPECT_TRUE(LoadSafe("alice", "pw", entries));
    return ToVector(entries);
  }
  std::string File(const std::string& name) { return dir.Path() + name; }

  SafeTestDir dir;
  FakeView view;
  Quillbox app;
};

TEST_F(SafeTransfer, ImportShowsTheSummaryAndAddsOnlyOnYes) {
  WriteTextFile(File("chrome.csv"), "name,url,username,password\nBank,,jdoe,s3cr3t\nKept,,me,x\n\"a\tb\",,u,p\n");
  view.answers = {kIdNo};
  EXPECT_FALSE(ImportIntoOpenSafe(app, view, nullptr, File("chrome.csv"), ""));
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].caption, kImportCaption);
  EXPECT_EQ(view.boxes[0].style, kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(view.boxes[0].text,
            "3 entries read as chrome-csv.\n"
            "1 new entry to import.\n"
            "1 entry is already in the safe, skipped.\n"
            "1 entry cannot be stored, skipped.\n"
            "\nThese records are skipped:\n"
            "line 4: Fields cannot contain tabs or line breaks.\n"
            "\nAdd the new entries to the safe?");
  EXPECT_EQ(SafeLines(), Lines({"Kept\tme\tx"}));

  view.answers = {kIdYes};
  EXPECT_TRUE(ImportIntoOpenSafe(app, view, nullptr, File("chrome.csv"), "chrome-csv"));
  EXPECT_EQ(SafeLines(), Lines({"Kept\tme\tx", "Bank\tjdoe\ts3cr3t"}));
  EXPECT_EQ(ToVector(app.GetEntries()), SafeLines());

  // Again: nothing new, so nothing is asked.
  EXPECT_FALSE(ImportIntoOpenSafe(app, view, nullptr, File("chrome.csv"), ""));
  EXPECT_EQ(view.boxes.back().style, kMbOk | kMbIconInformation);
  EXPECT_NE(view.boxes.back().text.find("There is nothing to import."), std::string::npos);
}

// Each answer that does not open the file is told in the next request; a
// cancel ends the import with nothing asked or changed.
TEST_F(SafeTransfer, AProtectedFileIsAskedItsKeyUntilItOpensOrTheUserCancels) {
  const std::string file = QUILLBOX_TEST_DATA_DIR "/interchange/bitwarden-protected-pbkdf2.json";
  const std::string before = ReadTextFile(dir.SafePath("alice"));
  view.fileKeys.push_back({SecretText("wrong"), ""});
  view.fileKeys.push_back({SecretText("fixture-export-password"), File("missing.key")});
  EXPECT_FALSE(ImportIntoOpenSafe(app, view, nullptr, file, ""));
  ASSERT_EQ(view.fileKeyRequests.size(), 3u);
  EXPECT_EQ(view.fileKeyRequests[0].file_name, "bitwarden-protected-pbkdf2.json");
  EXPECT_FALSE(view.fileKeyRequests[0].takes_key_file);
  EXPECT_FALSE(view.fileKeyRequests[0].new_key);
  EXPECT_EQ(view.fileKeyRequests[0].problem, "");
  EXPECT_EQ(view.fileKeyRequests[1].problem, "the file's password is wrong; nothing was imported");
  EXPECT_EQ(view.fileKeyRequests[2].problem, "key file " + File("missing.key") + ": No such file or directory");
  EXPECT_TRUE(view.boxes.empty());
  EXPECT_EQ(ReadTextFile(dir.SafePath("alice")), before);

  view.fileKeys.push_back({SecretText("fixture-export-password"), ""});
  view.answers = {kIdYes};
  EXPECT_TRUE(ImportIntoOpenSafe(app, view, nullptr, file, ""));
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_TRUE(view.boxes[0].text.starts_with("3 entries read as bitwarden-json.\n")) << view.boxes[0].text;
  EXPECT_EQ(SafeLines().size(), 4u);
}

TEST_F(SafeTransfer, UnreadableFilesAndFailedSavesChangeNothing) {
  WriteTextFile(File("bomb.xml"), "<!DOCTYPE x [<!ENTITY a \"aaaa\">]><KeePassFile>&a;</KeePassFile>");
  EXPECT_FALSE(ImportIntoOpenSafe(app, view, nullptr, File("bomb.xml"), ""));
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].caption, "ERROR");
  EXPECT_EQ(view.boxes[0].text,
            File("bomb.xml") + ": line 1: the file declares a document type, which KeePass XML never has");

  WriteTextFile(File("ok.csv"), "Description,Username,Password\nNew,u,p\n");
  chmod(dir.SafePath("alice").c_str(), 0400);
  view.answers = {kIdYes};
  EXPECT_FALSE(ImportIntoOpenSafe(app, view, nullptr, File("ok.csv"), ""));
  EXPECT_EQ(view.boxes.back().text,
            "The safe could not be saved; nothing was imported.\n" + dir.SafePath("alice") + ": Permission denied");
  EXPECT_EQ(ToVector(app.GetEntries()), Lines({"Kept\tme\tx"}));
  chmod(dir.SafePath("alice").c_str(), 0600);
  EXPECT_EQ(SafeLines(), Lines({"Kept\tme\tx"}));
}

TEST_F(SafeTransfer, AFilePastTheRecordCapIsRefusedAndTheSafeKept) {
  std::string text = "name,url,username,password\n";
  for (size_t i = 0; i <= kMaxImportRecords; ++i) text += "Site " + std::to_string(i) + ",,u,p\n";
  WriteTextFile(File("huge.csv"), text);
  std::string before = ReadTextFile(dir.SafePath("alice"));
  view.answers = {kIdYes};
  EXPECT_FALSE(ImportIntoOpenSafe(app, view, nullptr, File("huge.csv"), ""));
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].caption, "ERROR");
  EXPECT_EQ(view.boxes[0].text, File("huge.csv") + ": " + kTooManyRecordsMessage);
  EXPECT_EQ(ToVector(app.GetEntries()), Lines({"Kept\tme\tx"}));
  EXPECT_EQ(ReadTextFile(dir.SafePath("alice")), before);
}

TEST_F(SafeTransfer, ExportWarnsFirstAndWritesA0600File) {
  std::string path = File("vault.json");
  view.answers = {kIdNo};
  EXPECT_FALSE(ExportOpenSafe(app, view, nullptr, path, "bitwarden-json", false));
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].caption, kExportCaption);
  EXPECT_EQ(view.boxes[0].style, kMbYesNo | kMbIconWarning);
  EXPECT_EQ(view.boxes[0].text,
            std::string(kPlainTextWarning) + "\n\nExport 1 entries as Bitwarden JSON to " + path + "?");
  struct stat info;
  EXPECT_NE(stat(path.c_str(), &info), 0);

  WriteTextFile(path, "old");
  view.answers = {kIdYes};
  EXPECT_FALSE(ExportOpenSafe(app, view, nullptr, path, "bitwarden-json", false));
  EXPECT_EQ(view.boxes.back().text, path + " already exists; nothing was written.");
  EXPECT_EQ(ReadTextFile(path), "old");
  view.answers = {kIdYes};  // the file dialog already asked to replace it
  EXPECT_TRUE(ExportOpenSafe(app, view, nullptr, path, "bitwarden-json", true));
  EXPECT_EQ(FileMode(path) & 0777, 0600u);
  EXPECT_NE(ReadTextFile(path).find("\"password\": \"x\""), std::string::npos);
}

// An export killed before its rename leaves every password in plain text
// beside the file it was to become. The next export to that folder removes
// it, but never the file of an export still running.
TEST_F(SafeTransfer, ExportRemovesWhatKilledExportsLeftButNotRunningOnes) {
  WriteTextFile(File(".quillbox-export-Ab12Cd"), "Description,Username,Password\r\nKept,me,x\r\n");
  WriteTextFile(File(".quillbox-export-Held01"), "being written");
  WriteTextFile(File(".quillbox-export-notes.txt"), "not an export's");
  const int running = open(File(".quillbox-export-Held01").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(running, 0);
  ASSERT_EQ(flock(running, LOCK_EX), 0);

  view.answers = {kIdYes};
  ASSERT_TRUE(ExportOpenSafe(app, view, nullptr, File("out.csv"), "", false));
  struct stat info;
  EXPECT_NE(stat(File(".quillbox-export-Ab12Cd").c_str(), &info), 0);
  EXPECT_EQ(stat(File(".quillbox-export-Held01").c_str(), &info), 0);
  EXPECT_EQ(stat(File(".quillbox-export-notes.txt").c_str(), &info), 0);
  close(running);
  view.answers = {kIdYes};
  ASSERT_TRUE(ExportOpenSafe(app, view, nullptr, File("out.csv"), "", true));
  EXPECT_NE(stat(File(".quillbox-export-Held01").c_str(), &info), 0);
}

}  // namespace
