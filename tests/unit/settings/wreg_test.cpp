#include "settings/wreg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "tests/unit/settings/isolated_hives.h"
#include "tests/unit/settings/test_app.h"

namespace {

const char kHeader[] = "Windows Registry Editor Version 5.00\n\n";
const char kSubKey[] = "\\Software\\tarnwell\\Tarnwell Quillbox\\2.x]\n";

std::string HiveText(const char* root, const std::string& body) {
  return kHeader + std::string("[") + root + kSubKey + body;
}

void WriteHive(const std::string& path, const char* root, const std::optional<std::string>& body) {
  if (!body) return;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  WriteTextFile(path, HiveText(root, *body));
}

class WRegTest : public ::testing::Test {
 protected:
  void SetUp() override { app_.SetInstance(nullptr); }

  // Writes the hand-made hives; a locked machine hive keeps its text but
  // cannot be opened with all access.
  void Hives(const std::optional<std::string>& machine, const std::optional<std::string>& user,
             bool machineLocked = false) {
    WriteHive(hives_.MachineHivePath(), "HKEY_LOCAL_MACHINE", machine);
    WriteHive(hives_.UserHivePath(), "HKEY_CURRENT_USER", user);
    if (machineLocked) hives_.LockMachineHive();
  }

  IsolatedHives hives_;
  TestApp app_;
};

TEST_F(WRegTest, StringReadsFollowHiveOrderCapacityAndDefault) {
  struct Case {
    const char* what;
    std::optional<std::string> machine;
    std::optional<std::string> user;
    bool machineLocked;
    size_t capacity;
    const char* defaultText;
    std::string expected;
  };
  const Case cases[] = {
      {"machine wins", "\"S\"=\"m\"\n", "\"S\"=\"u\"\n", false, 29, "d", "m"},
      {"user when machine lacks it", "", "\"S\"=\"u\"\n", false, 29, "d", "u"},
      {"no machine hive file", std::nullopt, "\"S\"=\"u\"\n", false, 29, "d", "u"},
      {"unwritable machine hive is not read", "\"S\"=\"m\"\n", "\"S\"=\"u\"\n", true, 29, "d", "u"},
      {"default when absent", "", "", false, 29, "dflt", "dflt"},
      {"no default gives empty text", "", "", false, 29, nullptr, ""},
      {"default one short of capacity", "", "", false, 4, "abc", "abc"},
      {"default as long as capacity", "", "", false, 4, "abcd", ""},
      {"value of exactly capacity bytes", "\"S\"=\"abc\"\n", "", false, 4, "d", "abc"},
      {"capacity + 1 bytes is absent in that hive", "\"S\"=\"abcd\"\n", "\"S\"=\"u\"\n", false, 4, "d", "u"},
      {"unterminated capacity bytes", "\"S\"=hex(1):61,62,63,64\n", "", false, 4, "d", "abcd"},
      {"type is not looked at", "\"S\"=hex(0):68,69,00\n", "", false, 29, "d", "hi"},
      {"case-insensitive names", "\"s\"=\"lower\"\n", "", false, 29, "d", "lower"},
      {"capacity 0", "\"S\"=\"m\"\n", "", false, 0, "d", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(hives_.Dir().Path(""));
    std::filesystem::create_directories(hives_.Dir().Path(""));
    Hives(c.machine, c.user, c.machineLocked);
    std::string buffer(64, '#');
    app_.GetSettingString("S", buffer.data(), c.capacity, c.defaultText);
    EXPECT_EQ(std::string(buffer.c_str()), c.expected);
    if (c.expected.size() == c.capacity) {
      EXPECT_EQ(buffer[c.capacity], '\0');
    }
  }
}

TEST_F(WRegTest, IntegerReadsFollowHiveOrderAndAcceptAnyType) {
  struct Case {
    const char* what;
    std::optional<std::string> machine;
    std::optional<std::string> user;
    bool machineLocked;
    int expected;
  };
  const Case cases[] = {
      {"machine wins", "\"N\"=hex(0):07,00,00,00\n", "\"N\"=hex(0):08,00,00,00\n", false, 7},
      {"user when machine lacks it", "", "\"N\"=hex(0):08,00,00,00\n", false, 8},
      {"unwritable machine hive is not read", "\"N\"=hex(0):07,00,00,00\n", "\"N\"=hex(0):08,00,00,00\n", true, 8},
      {"default when absent", "", "", false, -1},
      {"dword written by hand", "\"N\"=dword:0000012c\n", "", false, 300},
      {"negative", "\"N\"=hex(0):fe,ff,ff,ff\n", "", false, -2},
      {"short data is its own number", "\"N\"=hex(0):05\n", "", false, 5},
      {"more than 4 bytes is absent", "\"N\"=hex(0):01,00,00,00,00\n", "", false, -1},
      {"unparsable line is absent", "\"N\"=dword:zz\n", "\"N\"=dword:00000009\n", false, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(hives_.Dir().Path(""));
    std::filesystem::create_directories(hives_.Dir().Path(""));
    Hives(c.machine, c.user, c.machineLocked);
    int value = 12345;
    app_.GetSettingInt("N", &value, -1);
    EXPECT_EQ(value, c.expected);
  }
}

TEST_F(WRegTest, BooleansAreNonZeroIntegers) {
  Hives("\"Two\"=hex(0):02,00,00,00\n\"Zero\"=hex(0):00,00,00,00\n", "");
  EXPECT_TRUE(app_.GetSettingBool("Two", false));
  EXPECT_FALSE(app_.GetSettingBool("Zero", true));
  EXPECT_TRUE(app_.GetSettingBool("Absent", true));
  EXPECT_FALSE(app_.GetSettingBool("Absent", false));
}

TEST_F(WRegTest, SetWritesBothHivesWithTheDesignedEncodings) {
  app_.SetSettingInt("Last_Sort", 2);
  app_.SetSettingInt("Neg", -2);
  app_.SetSettingString("Last_Username", "al\"ice\\");
  app_.SetSettingString("Multi", "a\nb");
  const std::string body =
      "\"Last_Sort\"=hex(0):02,00,00,00\n"
      "\"Neg\"=hex(0):fe,ff,ff,ff\n"
      "\"Last_Username\"=\"al\\\"ice\\\\\"\n"
      "\"Multi\"=hex(1):61,0a,62,00\n";
  EXPECT_EQ(ReadTextFile(hives_.MachineHivePath()), HiveText("HKEY_LOCAL_MACHINE", body));
  EXPECT_EQ(ReadTextFile(hives_.UserHivePath()), HiveText("HKEY_CURRENT_USER", body));

  char buffer[30];
  app_.GetSettingString("Multi", buffer, 29, nullptr);
  EXPECT_STREQ(buffer, "a\nb");
  app_.SetSettingInt("Last_Sort", -3);
  int sort = 0;
  app_.GetSettingInt("Last_Sort", &sort, 0);
  EXPECT_EQ(sort, -3);
}

TEST_F(WRegTest, UnwritableMachineHiveSendsEveryWriteToTheUserHive) {
  Hives("\"Last_Sort\"=hex(0):07,00,00,00\n", std::nullopt, true);
  const std::string machineBefore = ReadTextFile(hives_.MachineHivePath());
  app_.SetSettingInt("Last_Sort", 1);
  app_.SetSettingString("Last_Username", "bob");
  EXPECT_EQ(ReadTextFile(hives_.MachineHivePath()), machineBefore);
  EXPECT_EQ(ReadTextFile(hives_.UserHivePath()),
            HiveText("HKEY_CURRENT_USER", "\"Last_Sort\"=hex(0):01,00,00,00\n\"Last_Username\"=\"bob\"\n"));
  int sort = 0;
  app_.GetSettingInt("Last_Sort", &sort, 0);
  EXPECT_EQ(sort, 1);
  EXPECT_NE(app_.OpenKey(WHive::LocalMachine), kHiveSuccess);
}

TEST_F(WRegTest, ReadingAnAbsentValueCreatesTheEmptyKey) {
  int value = 0;
  app_.GetSettingInt("Nowhere", &value, 42);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(ReadTextFile(hives_.MachineHivePath()), HiveText("HKEY_LOCAL_MACHINE", ""));
  EXPECT_EQ(ReadTextFile(hives_.UserHivePath()), HiveText("HKEY_CURRENT_USER", ""));
}

TEST_F(WRegTest, ReadingWithAnUnwritableMachineHiveCreatesOnlyTheUserKey) {
  hives_.LockMachineHive();
  char buffer[8];
  app_.GetSettingString("Nowhere", buffer, 7, "dflt");
  EXPECT_STREQ(buffer, "dflt");
  EXPECT_EQ(ReadTextFile(hives_.MachineHivePath()), "");
  EXPECT_EQ(ReadTextFile(hives_.UserHivePath()), HiveText("HKEY_CURRENT_USER", ""));
}

TEST_F(WRegTest, KeyOpensOnceAndClosesOnce) {
  EXPECT_EQ(app_.CloseKey(), kHiveSuccess) << "nothing open";
  EXPECT_EQ(app_.OpenKey(WHive::CurrentUser), kHiveSuccess);
  EXPECT_EQ(app_.OpenKey(WHive::LocalMachine), kHiveSuccess) << "already open: nothing else happens";
  EXPECT_FALSE(std::filesystem::exists(hives_.MachineHivePath()));
  EXPECT_EQ(app_.CloseKey(), kHiveSuccess);
}

TEST_F(WRegTest, DamagedHiveKeepsEveryLineItDoesNotChange) {
  const std::string damaged =
      "\x01garbage\n\"Bad\"=\"a\\qb\"\n\"Cut\"=hex(0):01,\n\"Last_Sort\"=hex(0):05,00,00,00\n; note";
  Hives(std::nullopt, damaged);
  int sort = 0;
  app_.GetSettingInt("Last_Sort", &sort, 0);
  EXPECT_EQ(sort, 5);
  app_.SetSettingInt("Last_Sort", 1);
  app_.SetSettingString("Last_Username", "x");
  EXPECT_EQ(ReadTextFile(hives_.UserHivePath()),
            HiveText("HKEY_CURRENT_USER",
                     "\x01garbage\n\"Bad\"=\"a\\qb\"\n\"Cut\"=hex(0):01,\n\"Last_Sort\"=hex(0):01,00,00,00\n; note\n"
                     "\"Last_Username\"=\"x\"\n"));
}

}  // namespace
