#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/hive_file.h"
#include "settings/setting_value.h"
#include "tests/unit/settings/isolated_hives.h"
#include "tests/unit/settings/test_app.h"

namespace {

constexpr int kWritesPerProcess = 1000;

void WriteMany(WReg& settings, const char* prefix) {
  for (int i = 0; i < kWritesPerProcess; ++i) {
    std::string name = prefix + std::to_string(i);
    settings.SetSettingInt(name.c_str(), i);
  }
}

// Two processes write different values into the same two hives at the same
// time; the locked read-modify-write must lose none of them.
TEST(ConcurrentWritesTest, TwoProcessesLoseNoValue) {
  IsolatedHives hives;
  TestApp app;
  app.SetInstance(nullptr);
  app.SetSettingInt("Start", 1);

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    WriteMany(app, "child_");
    _exit(0);
  }
  WriteMany(app, "parent_");
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  for (const std::string& path : {hives.MachineHivePath(), hives.UserHivePath()}) {
    WHiveDocument document;
    ASSERT_EQ(LoadHiveFile(path, &document), kHiveSuccess);
    const std::string key = std::string(path == hives.UserHivePath() ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE") +
                            "\\" + app.SettingsKeyName;
    int missing = 0;
    for (const char* prefix : {"child_", "parent_"}) {
      for (int i = 0; i < kWritesPerProcess; ++i) {
        WHiveValue value;
        if (!document.FindValue(key, prefix + std::to_string(i), &value) || value != EncodeSettingInt(i)) {
          ++missing;
        }
      }
    }
    EXPECT_EQ(missing, 0) << path;
  }
  // No temporary file of an interrupted replace is left behind.
  for (const std::string& hive : {hives.UserHivePath(), hives.MachineHivePath()}) {
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(hive).parent_path())) {
      (void)entry;
      ++entries;
    }
    EXPECT_EQ(entries, 2) << hive;
  }
}

}  // namespace
