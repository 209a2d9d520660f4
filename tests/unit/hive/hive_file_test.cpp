#include "platform/hive_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/hive_key.h"
#include "tests/unit/core/scratch_dir.h"

namespace {

const char kKey[] = "HKEY_CURRENT_USER\\K";

bool SetText(const std::string& path, const char* name, const char* text) {
  WHiveValue value{kRegSz, std::string(text) + '\0'};
  return UpdateHiveFile(path, [&](WHiveDocument& d) { return d.SetValue(kKey, name, value); }) == kHiveSuccess;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(HiveFileTest, UpdateCreatesFoldersAndLeavesOnlyTheHiveAndItsLock) {
  ScratchDir dir;
  const std::string path = dir.Path("a/b/tarnwell/HKEY_CURRENT_USER.reg");
  ASSERT_TRUE(SetText(path, "x", "1"));
  ASSERT_TRUE(SetText(path, "y", "2"));

  WHiveDocument document;
  ASSERT_EQ(LoadHiveFile(path, &document), kHiveSuccess);
  WHiveValue value;
  EXPECT_TRUE(document.FindValue(kKey, "x", &value));
  EXPECT_TRUE(document.FindValue(kKey, "y", &value));
  EXPECT_EQ(FolderEntries(dir.Path("a/b/tarnwell")),
            (std::vector<std::string>{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock"}));

  struct stat info;
  ASSERT_EQ(stat(dir.Path("a/b/tarnwell").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(HiveFileTest, NextWriterRemovesWhatACrashedWriterLeft) {
  ScratchDir dir;
  const std::string path = dir.Path("HKEY_CURRENT_USER.reg");
  WriteTextFile(dir.Path(".HKEY_CURRENT_USER.reg-a1b2c3"), "half a hi");
  WriteTextFile(dir.Path(".HKEY_LOCAL_MACHINE.reg-a1b2c3"), "the other hive's writer");
  WriteTextFile(dir.Path(".HKEY_CURRENT_USER.reg-notmine"), "kept");
  ASSERT_TRUE(SetText(path, "x", "1"));
  EXPECT_EQ(FolderEntries(dir.Path("")),
            (std::vector<std::string>{".HKEY_CURRENT_USER.reg-notmine", ".HKEY_LOCAL_MACHINE.reg-a1b2c3",
                                      "HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock"}));
}

TEST(HiveFileTest, ReplacementKeepsTheFilesMode) {
  ScratchDir dir;
  const std::string path = dir.Path("HKEY_CURRENT_USER.reg");
  WriteTextFile(path, "");
  chmod(path.c_str(), 0640);
  ASSERT_TRUE(SetText(path, "x", "1"));
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(HiveFileTest, UnchangedDocumentIsNotRewritten) {
  ScratchDir dir;
  const std::string path = dir.Path("h.reg");
  WriteTextFile(path, "odd content\n");
  EXPECT_EQ(UpdateHiveFile(path, [](WHiveDocument&) { return false; }), kHiveSuccess);
  EXPECT_EQ(ReadTextFile(path), "odd content\n");
}

TEST(HiveFileTest, WritableOnlyWhereFileAndFolderCanBeWritten) {
  ScratchDir dir;
  WriteTextFile(dir.Path("plain"), "");
  WriteTextFile(dir.Path("readonly.reg"), "");
  chmod(dir.Path("readonly.reg").c_str(), 0444);
  std::filesystem::create_directory(dir.Path("folder.reg"));

  struct Case {
    std::string path;
    long status;
  };
  const Case cases[] = {
      {dir.Path("new/deeper/h.reg"), kHiveSuccess},
      {dir.Path("plain/h.reg"), kHivePathNotFound},   // a file where a folder should be
      {dir.Path("readonly.reg"), kHiveAccessDenied},  // no owner-write bit, also for root
      {dir.Path("folder.reg"), kHiveAccessDenied},
      {"", kHivePathNotFound},
  };
  for (const Case& c : cases) EXPECT_EQ(PrepareHiveForWriting(c.path), c.status) << c.path;
  EXPECT_EQ(ReadTextFile(dir.Path("readonly.reg")), "");
  EXPECT_NE(UpdateHiveFile(dir.Path("readonly.reg"), [](WHiveDocument&) { return true; }), kHiveSuccess);
}

TEST(HiveFileTest, OversizedFileIsRefusedAndNeverRewritten) {
  ScratchDir dir;
  const std::string path = dir.Path("h.reg");
  std::string big = "[HKEY_CURRENT_USER\\K]\n\"x\"=\"" + std::string(kMaxHiveFileSize, 'a') + "\"\n";
  WriteTextFile(path, big);
  WHiveDocument document;
  EXPECT_EQ(LoadHiveFile(path, &document), kHiveInvalidData);
  EXPECT_FALSE(SetText(path, "y", "1"));
  EXPECT_EQ(ReadTextFile(path).size(), big.size());
}

// Another program's FIFO in place of the hive is refused at once, not waited on.
TEST(HiveFileTest, AFifoIsRefusedWithoutWaitingForAWriter) {
  ScratchDir dir;
  const std::string path = dir.Path("h.reg");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  WHiveDocument document;
  EXPECT_EQ(LoadHiveFile(path, &document), kHiveAccessDenied);
}

TEST(HiveFileTest, LargeValueWithinTheCapSurvivesOtherChanges) {
  ScratchDir dir;
  const std::string path = dir.Path("h.reg");
  const std::string huge(1 << 20, 'z');
  const std::string text = "[HKEY_CURRENT_USER\\K]\n\"Huge\"=\"" + huge + "\"\n\"Small\"=\"s\"";
  WriteTextFile(path, text);
  ASSERT_TRUE(SetText(path, "Other", "o"));
  EXPECT_EQ(ReadTextFile(path), text + "\n\"Other\"=\"o\"\n");
}

TEST(HiveFileTest, ChangeThatWouldPassTheCapIsNotWritten) {
  ScratchDir dir;
  const std::string path = dir.Path("h.reg");
  ASSERT_TRUE(SetText(path, "x", "1"));
  const std::string before = ReadTextFile(path);
  EXPECT_FALSE(SetText(path, "y", std::string(kMaxHiveFileSize, 'b').c_str()));
  EXPECT_EQ(ReadTextFile(path), before);
}

TEST(HiveKeyTest, OpenCreatesTheKeyOnceAndQueriesSeeLaterWrites) {
  ScratchDir dir;
  setenv("XDG_CONFIG_HOME", dir.Path("").c_str(), 1);
  WHiveKey key;
  ASSERT_EQ(key.Open(WHive::CurrentUser, "Software\\t"), kHiveSuccess);
  const std::string path = dir.Path("tarnwell/HKEY_CURRENT_USER.reg");
  EXPECT_EQ(ReadTextFile(path), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\t]\n");

  WHiveValue value;
  EXPECT_EQ(key.Query("v", &value), kHiveFileNotFound);
  ASSERT_EQ(key.Set("v", {kRegSz, std::string("1\0", 2)}), kHiveSuccess);
  EXPECT_EQ(key.Query("v", &value), kHiveSuccess);
  EXPECT_EQ(key.Set("bad\nname", value), kHiveInvalidParameter);

  WHiveKey again;
  ASSERT_EQ(again.Open(WHive::CurrentUser, "Software\\t"), kHiveSuccess);
  EXPECT_EQ(ReadTextFile(path),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\t]\n\"v\"=\"1\"\n");
  key.Close();
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(key.Query("v", &value), kHiveAccessDenied);
  unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
