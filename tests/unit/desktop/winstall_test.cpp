#include "desktop/winstall.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/executable_path.h"
#include "tests/unit/desktop/scoped_env.h"
#include "tests/unit/core/scratch_dir.h"

namespace {

std::string FolderPath(int folder) {
  char buffer[kStartupPathCapacity] = {};
  return GetSpecialFolderPath(folder, buffer) == 0 ? buffer : "(failed)";
}

TEST(WInstallTest, StartupFolderFollowsTheXdgConfigHome) {
  struct Case {
    const char* xdgConfigHome;
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/x/config", "/h", "/x/config/autostart"},
      {"/x/config/", "/h", "/x/config/autostart"},
      {nullptr, "/h", "/h/.config/autostart"},
      {"", "/h", "/h/.config/autostart"},
      {"relative/config", "/h", "/h/.config/autostart"},  // relative is invalid: ignored
      {"/", "/h", "/autostart"},
  };
  for (const Case& c : cases) {
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdgConfigHome);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(FolderPath(kCsidlStartup), c.expected) << (c.xdgConfigHome ? c.xdgConfigHome : "unset");
  }
}

TEST(WInstallTest, WithoutHomeTheAccountsHomeIsUsed) {
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  ScopedEnv home("HOME", nullptr);
  std::string path = FolderPath(kCsidlStartup);
  EXPECT_EQ(path.front(), '/');
  EXPECT_TRUE(path.ends_with("/.config/autostart")) << path;
}

// Without a user config folder there is no user autostart entry: the
// system-wide folder is never read as this user's setting, nor written.
TEST(WInstallTest, UnnameableFolderNamesNoEntry) {
  const std::string tooLong = "/" + std::string(kStartupPathCapacity, 'x');
  ScopedEnv xdg("XDG_CONFIG_HOME", tooLong.c_str());
  char buffer[kStartupPathCapacity];
  EXPECT_EQ(GetSpecialFolderPath(kCsidlStartup, buffer), 1);
  EXPECT_EQ(GetSpecialFolderPath(kCsidlStartup + 1, buffer), 1);  // only the startup folder is known

  EXPECT_EQ(GetStartupFolderPath(buffer), 1);
  EXPECT_STREQ(buffer, "");
  // Stop before toggling if a folder is still named: as root it would be written.
  ASSERT_FALSE(GetStartupShortcutPath(buffer));
  ASSERT_FALSE(StartupShortcutExists());
  const std::string systemEntry = "/etc/xdg/autostart/Quillbox.desktop";
  const bool systemEntryExisted = std::filesystem::exists(systemEntry);
  OverrideExecutablePath("/usr/bin/quillbox");
  for (bool on : {!systemEntryExisted, systemEntryExisted}) {
    ApplyRunAtStartup(on);
    EXPECT_EQ(std::filesystem::exists(systemEntry), systemEntryExisted);
  }
  OverrideExecutablePath(nullptr);
}

TEST(WInstallTest, StripTrailingBackslashRemovesOneSeparator) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""}, {"/", ""}, {"/a", "/a"}, {"/a/", "/a"}, {"/a//", "/a/"}, {"a\\", "a\\"},
  };
  for (const auto& [text, expected] : cases) {
    std::string edited = text;
    StripTrailingBackslash(edited.data());
    EXPECT_STREQ(edited.c_str(), expected.c_str()) << '"' << text << '"';
  }
}

// The entry path is "<config>/autostart/Quillbox.desktop" and must fit in
// 260 bytes with its terminator.
TEST(WInstallTest, ShortcutPathFitsInTwoHundredSixtyBytesOrFails) {
  const size_t suffix = std::string("/autostart/Quillbox.desktop").size();
  for (size_t length : {size_t{259}, size_t{260}}) {
    const std::string config = "/" + std::string(length - suffix - 1, 'c');
    ScopedEnv xdg("XDG_CONFIG_HOME", config.c_str());
    char buffer[kStartupPathCapacity];
    if (length == 259) {
      ASSERT_TRUE(GetStartupShortcutPath(buffer));
      EXPECT_EQ(std::string(buffer), config + "/autostart/Quillbox.desktop");
    } else {
      EXPECT_FALSE(GetStartupShortcutPath(buffer));
    }
  }
}

class RunAtStartupTest : public testing::Test {
 protected:
  void TearDown() override { OverrideExecutablePath(nullptr); }

  std::string EntryPath() const { return scratch_.Path("config/autostart/Quillbox.desktop"); }

  ScratchDir scratch_;
  ScopedEnv xdg_{"XDG_CONFIG_HOME", scratch_.Path("config").c_str()};
};

TEST_F(RunAtStartupTest, TogglingCreatesRemovesAndRecreatesTheEntry) {
  OverrideExecutablePath("/opt/Quill Box/quillbox");
  EXPECT_FALSE(StartupShortcutExists());

  ApplyRunAtStartup(true);  // creates the missing config and autostart folders
  EXPECT_TRUE(StartupShortcutExists());
  EXPECT_NE(ReadTextFile(EntryPath()).find("\nExec=\"/opt/Quill Box/quillbox\"\n"), std::string::npos);
  // Written aside and renamed: nothing else is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch_.Path("config/autostart")),
                          std::filesystem::directory_iterator()),
            1);

  ApplyRunAtStartup(false);
  EXPECT_FALSE(StartupShortcutExists());
  EXPECT_FALSE(std::filesystem::exists(EntryPath()));
  ApplyRunAtStartup(false);  // nothing to delete: harmless

  ApplyRunAtStartup(true);
  EXPECT_TRUE(StartupShortcutExists());
}

TEST_F(RunAtStartupTest, ReplacesAnOldEntryWithTheCurrentExecutable) {
  OverrideExecutablePath("/old/quillbox");
  ApplyRunAtStartup(true);
  OverrideExecutablePath("/new/quillbox");
  ApplyRunAtStartup(true);
  EXPECT_NE(ReadTextFile(EntryPath()).find("\nExec=/new/quillbox\n"), std::string::npos);
}

TEST_F(RunAtStartupTest, NoEntryWhenTheExecutableCannotBeNamed) {
  OverrideExecutablePath("");
  ApplyRunAtStartup(true);
  EXPECT_FALSE(StartupShortcutExists());
}

TEST_F(RunAtStartupTest, UnreadableEntryCountsAsAbsent) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads any file";
  OverrideExecutablePath("/usr/bin/quillbox");
  ApplyRunAtStartup(true);
  ASSERT_EQ(chmod(EntryPath().c_str(), 0), 0);
  EXPECT_FALSE(StartupShortcutExists());
}

TEST_F(RunAtStartupTest, UnwritableFolderLeavesNoEntryAndNoCrash) {
  OverrideExecutablePath("/usr/bin/quillbox");
  // A file where the autostart folder should be.
  std::filesystem::create_directories(scratch_.Path("config"));
  WriteTextFile(scratch_.Path("config/autostart"), "not a folder");
  ApplyRunAtStartup(true);
  EXPECT_FALSE(StartupShortcutExists());
}

TEST(WInstallDeathTest, CreateShortcutNeedsBothPaths) {
  EXPECT_DEATH(CreateShortcut(nullptr, "/usr/bin/quillbox"), "link && program, file WInstall");
  EXPECT_DEATH(CreateShortcut("/tmp/Quillbox.desktop", nullptr), "link && program, file WInstall");
}

}  // namespace
