#include "cli/settings_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/unit/settings/isolated_hives.h"
#include "tests/unit/settings/test_app.h"

namespace {

std::string RunCommand(const char* keyName, int* status) {
  char* text = nullptr;
  size_t size = 0;
  FILE* out = open_memstream(&text, &size);
  *status = RunSettingsCommand(keyName, out);
  fclose(out);
  std::string result(text, size);
  free(text);
  return result;
}

std::string LineOf(const std::string& output, const std::string& name) {
  size_t start = output.find("\n" + name + " ");
  if (start == std::string::npos) return {};
  size_t end = output.find('\n', start + 1);
  return output.substr(start + 1, end - start - 1);
}

std::string Squeezed(const std::string& line) {
  std::string out;
  for (char c : line) {
    if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
  }
  return out;
}

TEST(SettingsCommandTest, ShowsEachEffectiveValueAndItsHive) {
  IsolatedHives hives;
  TestApp app;
  app.SetInstance(nullptr);
  app.SetSettingInt("Last_Sort", 4);
  app.WriteString(WHive::CurrentUser, "Last_Username", "ali\x1b[2Jce");
  app.WriteInt(WHive::LocalMachine, "qamode", 1);
  app.WriteInt(WHive::CurrentUser, "qamode", 0);
  app.WriteString(WHive::CurrentUser, "Update_Server", "127.0.0.1:8080");
  app.WriteString(WHive::LocalMachine, "Main_Window_Dim_x", "a string");
  app.WriteInt(WHive::CurrentUser, "Lock_After_Seconds", 60);
  const std::string userBefore = ReadTextFile(hives.UserHivePath());

  int status = -1;
  std::string output = RunCommand(app.SettingsKeyName, &status);
  EXPECT_EQ(status, 0);
  struct Expected {
    const char* name;
    const char* line;
  };
  const Expected expected[] = {
      {"Last_Username", "Last_Username \"ali\\x1b[2Jce\" user"},
      {"Last_Sort", "Last_Sort 4 machine"},
      {"Store_On_Taskbar_Only", "Store_On_Taskbar_Only 0 (off) default"},
      {"qamode", "qamode 1 (on) machine"},
      {"Update_Server", "Update_Server \"127.0.0.1:8080\" user"},
      {"Update_Check_Option", "Update_Check_Option 0 default"},
      {"Last_Update_Check_Time", "Last_Update_Check_Time 0 default"},
      // 9 bytes of text are no integer: as absent, like the application reads it.
      {"Main_Window_Dim_x", "Main_Window_Dim_x (window's own) default"},
      {"Main_Listview_Dim_col2", "Main_Listview_Dim_col2 (column's own) default"},
      {"Extra_Columns", "Extra_Columns 0 default"},
      {"Clipboard_Clear_Seconds", "Clipboard_Clear_Seconds 15 default"},
      {"Lock_After_Seconds", "Lock_After_Seconds 60 user"},
      {"Lock_On_Screen_Lock", "Lock_On_Screen_Lock 1 (on) default"},
      {"Secret_Service", "Secret_Service 0 (off) default"},
      {"Secret_Service_Confirm", "Secret_Service_Confirm 1 (on) default"},
  };
  for (const Expected& e : expected) EXPECT_EQ(Squeezed(LineOf(output, e.name)), e.line) << output;
  EXPECT_NE(output.find("\nSecret Service (org.freedesktop.secrets) served by: "), std::string::npos) << output;
  EXPECT_NE(output.find(hives.UserHivePath()), std::string::npos);
  EXPECT_EQ(ReadTextFile(hives.UserHivePath()), userBefore) << "the view writes nothing";
}

TEST(SettingsCommandTest, UnwritableMachineHiveIsShownAsUnused) {
  IsolatedHives hives;
  TestApp app;
  app.SetInstance(nullptr);
  std::filesystem::create_directories(std::filesystem::path(hives.MachineHivePath()).parent_path());
  WriteTextFile(hives.MachineHivePath(),
                "[HKEY_LOCAL_MACHINE\\Software\\tarnwell\\Tarnwell Quillbox\\2.x]\n\"Last_Sort\"=dword:00000001\n");
  hives.LockMachineHive();

  int status = -1;
  std::string output = RunCommand(app.SettingsKeyName, &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(output.find("(not writable here, so not used)"), std::string::npos) << output;
  EXPECT_EQ(Squeezed(LineOf(output, "Last_Sort")), "Last_Sort 2 default");
  EXPECT_FALSE(std::filesystem::exists(hives.UserHivePath())) << "no key or file is created";
}

TEST(SettingsCommandTest, HivesNotCreatedYetAreSaidSo) {
  IsolatedHives hives;
  int status = -1;
  std::string output = RunCommand("Software\\tarnwell\\Tarnwell Quillbox\\2.x", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(output.find(hives.UserHivePath() + " (not created yet)"), std::string::npos) << output;
  EXPECT_EQ(Squeezed(LineOf(output, "Last_Username")), "Last_Username \"\" default");
}

TEST(SettingsCommandTest, NeedsTheKeyPath) {
  int status = -1;
  RunCommand("", &status);
  EXPECT_EQ(status, 1);
}

}  // namespace
