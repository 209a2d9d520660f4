#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/quillbox.h"
#include "safe/safe_store.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

// Points both settings hives into the test's folder.
class ScopedConfigDirs {
 public:
  explicit ScopedConfigDirs(const std::string& root) {
    Save("XDG_CONFIG_HOME", root + "user");
    Save("XDG_CONFIG_DIRS", root + "machine");
  }
  ~ScopedConfigDirs() {
    for (const auto& [name, value] : saved_) {
      if (value.first) {
        setenv(name.c_str(), value.second.c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  void Save(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    saved_.push_back({name, {old != nullptr, old != nullptr ? old : ""}});
    setenv(name.c_str(), value.c_str(), 1);
  }

  std::vector<std::pair<std::string, std::pair<bool, std::string>>> saved_;
};

TEST(QuillboxSettings, StartSettingsComeBackAfterExit) {
  SafeTestDir dir;
  ScopedConfigDirs config(dir.Path());
  EntryList entries;
  ASSERT_TRUE(SaveSafe("alice", "pw", entries));
  {
    Quillbox first;
    first.SetInstance(nullptr);
    first.ReadStartSettings();
    EXPECT_STREQ(first.GetUserName(), "");
    EXPECT_EQ(first.GetSortOrder(), 2);
    EXPECT_FALSE(first.GetResideOnTaskbar());
    EXPECT_EQ(first.GetClipboardClearSeconds(), 15);
    EXPECT_EQ(first.GetLockAfterSeconds(), 300);
    EXPECT_TRUE(first.GetLockOnScreenLock());
    ASSERT_TRUE(first.LogIn("alice", "pw"));
    first.LogOut();
    first.SetSortOrder(5);
    first.SetResideOnTaskbar(true);
  }
  Quillbox second;
  second.SetInstance(nullptr);
  second.ReadStartSettings();
  EXPECT_STREQ(second.GetUserName(), "alice");
  EXPECT_EQ(second.GetSortOrder(), 5);
  EXPECT_TRUE(second.GetResideOnTaskbar());

  // Settings without a command of their own, as a user or an administrator sets them.
  second.SetSettingInt("Clipboard_Clear_Seconds", 2);
  second.SetSettingInt("Lock_After_Seconds", 0);
  second.SetSettingInt("Lock_On_Screen_Lock", 0);
  second.ReadStartSettings();
  EXPECT_EQ(second.GetClipboardClearSeconds(), 2);
  EXPECT_EQ(second.GetLockAfterSeconds(), 0);
  EXPECT_FALSE(second.GetLockOnScreenLock());

  // A stored name too long for the log-in field is not taken.
  second.SetSettingString("Last_Username", "a-name-of-thirty-characters-xx");
  second.ReadStartSettings();
  EXPECT_STREQ(second.GetUserName(), "");
}

}  // namespace
