#include "platform/hive_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kKey[] = "HKEY_CURRENT_USER\\Software\\tarnwell\\Tarnwell Quillbox\\2.x";

// A hand-edited, partly damaged hive: garbage, a bad escape, a truncated
// value, a comment, another program's key, a hex value over three lines, a
// second section of the same key and no final line break.
const char kDamaged[] =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "\x01\x02 garbage \xff\n"
    "[HKEY_CURRENT_USER\\Software\\tarnwell\\Tarnwell Quillbox\\2.x]\n"
    "\"Last_Username\"=\"alice\"\n"
    "\"Bad_Escape\"=\"a\\tb\"\n"
    "\"Truncated\"=\"no end\n"
    "; kept comment\n"
    "\"Last_Sort\"=hex(0):03,00,00,00\n"
    "\"Wrapped\"=hex(0):01,02,\\\n"
    "  03,04,\\\n"
    "  05\n"
    "\"Last_Update_Check_Time\"=hex(0):01,02\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Other Vendor]\n"
    "\"Last_Sort\"=dword:00000009\n"
    "\n"
    "[hkey_current_user\\software\\TARNWELL\\tarnwell quillbox\\2.x]\n"
    "\"Last_Update_Check_Time\"=dword:00000010\n"
    "\"Store_On_Taskbar_Only\"=hex(0):01,00,00,00";

std::string Bytes(std::initializer_list<int> bytes) {
  std::string data;
  for (int b : bytes) data.push_back(static_cast<char>(b));
  return data;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

TEST(HiveDocumentTest, DamagedFileLoadsWhatItCanAndFormatsBackExactly) {
  WHiveDocument document;
  document.Parse(kDamaged);
  EXPECT_EQ(document.Format(), kDamaged);

  struct Expected {
    const char* name;
    bool found;
    WHiveValue value;
  };
  const Expected expected[] = {
      {"Last_Username", true, {kRegSz, std::string("alice\0", 6)}},
      {"last_username", true, {kRegSz, std::string("alice\0", 6)}},
      {"Bad_Escape", false, {}},
      {"Truncated", false, {}},
      {"Last_Sort", true, {kRegNone, Bytes({3, 0, 0, 0})}},
      {"Wrapped", true, {kRegNone, Bytes({1, 2, 3, 4, 5})}},
      // The later section of the same key wins, as on import.
      {"Last_Update_Check_Time", true, {kRegDword, Bytes({0x10, 0, 0, 0})}},
      {"Store_On_Taskbar_Only", true, {kRegNone, Bytes({1, 0, 0, 0})}},
      {"Missing", false, {}},
  };
  for (const Expected& e : expected) {
    WHiveValue value;
    EXPECT_EQ(document.FindValue(kKey, e.name, &value), e.found) << e.name;
    if (e.found) {
      EXPECT_EQ(value, e.value) << e.name;
    }
  }
  WHiveValue other;
  ASSERT_TRUE(document.FindValue("HKEY_CURRENT_USER\\Software\\Other Vendor", "Last_Sort", &other));
  EXPECT_EQ(other.type, kRegDword);
}

TEST(HiveDocumentTest, ChangingOneValueKeepsEveryOtherLine) {
  WHiveDocument document;
  document.Parse(kDamaged);
  const WHiveValue sort{kRegNone, Bytes({1, 0, 0, 0})};
  ASSERT_TRUE(document.SetValue(kKey, "Last_Sort", sort));

  std::vector<std::string> before = Lines(kDamaged);
  std::vector<std::string> after = Lines(document.Format());
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i].starts_with("\"Last_Sort\"=hex(0)")) {
      EXPECT_EQ(after[i], "\"Last_Sort\"=hex(0):01,00,00,00");
    } else {
      EXPECT_EQ(after[i], before[i]) << "line " << i;
    }
  }
}

TEST(HiveDocumentTest, NewValueGoesIntoTheLastSectionOfItsKey) {
  WHiveDocument document;
  document.Parse(kDamaged);
  const WHiveValue name{kRegSz, std::string("bob\0", 4)};
  ASSERT_TRUE(document.SetValue(kKey, "Bad_Escape", name));
  std::string text = document.Format();
  // The file had no final line break; the new line follows it properly.
  EXPECT_TRUE(text.ends_with("\"Store_On_Taskbar_Only\"=hex(0):01,00,00,00\n\"Bad_Escape\"=\"bob\"\n"));
  EXPECT_EQ(text.substr(0, text.find("\"Store_On")), std::string(kDamaged).substr(0, text.find("\"Store_On")));

  WHiveDocument reread;
  reread.Parse(text);
  WHiveValue value;
  ASSERT_TRUE(reread.FindValue(kKey, "Bad_Escape", &value));
  EXPECT_EQ(value, name);
}

TEST(HiveDocumentTest, EmptyDocumentGetsHeaderKeyAndValue) {
  WHiveDocument document;
  document.Parse("");
  EXPECT_FALSE(document.HasKey(kKey));
  ASSERT_TRUE(document.AddKey(kKey));
  EXPECT_FALSE(document.AddKey(kKey)) << "a present key is not added twice";
  ASSERT_TRUE(document.SetValue(kKey, "Last_Sort", {kRegNone, Bytes({2, 0, 0, 0})}));
  ASSERT_TRUE(document.SetValue("HKEY_CURRENT_USER\\Other", "x", {kRegSz, std::string("1\0", 2)}));
  EXPECT_EQ(document.Format(),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\tarnwell\\Tarnwell Quillbox\\2.x]\n"
            "\"Last_Sort\"=hex(0):02,00,00,00\n"
            "\n"
            "[HKEY_CURRENT_USER\\Other]\n"
            "\"x\"=\"1\"\n");
}

TEST(HiveDocumentTest, WindowsLineEndingsAreKeptAndFollowed) {
  const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[K]\r\n\"a\"=\"1\"\r\n\r\n[L]\r\n";
  WHiveDocument document;
  document.Parse(text);
  WHiveValue value;
  ASSERT_TRUE(document.FindValue("K", "a", &value));
  EXPECT_EQ(value.data, std::string("1\0", 2));
  ASSERT_TRUE(document.SetValue("K", "b", {kRegSz, std::string("2\0", 2)}));
  EXPECT_EQ(document.Format(),
            "Windows Registry Editor Version 5.00\r\n\r\n[K]\r\n\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n\r\n[L]\r\n");
}

TEST(HiveDocumentTest, ValuesOutsideAnyKeyAndBrokenContinuationsAreIgnored) {
  const std::string text =
      "\"orphan\"=\"x\"\n"
      "[K]\n"
      "\"cut\"=hex:01,02,\\\n"
      "\n"
      "\"next\"=hex:01,\\\n"
      "[L]\n"
      "\"after\"=\"y\"\n";
  WHiveDocument document;
  document.Parse(text);
  EXPECT_EQ(document.Format(), text);
  WHiveValue value;
  EXPECT_FALSE(document.FindValue("", "orphan", &value));
  EXPECT_FALSE(document.FindValue("K", "cut", &value));
  EXPECT_FALSE(document.FindValue("K", "next", &value));
  EXPECT_TRUE(document.HasKey("L")) << "a key line is never swallowed by a continuation";
  EXPECT_TRUE(document.FindValue("L", "after", &value));

  // A value added to K must not land behind the dangling continuation.
  const WHiveValue added{kRegSz, std::string("z\0", 2)};
  ASSERT_TRUE(document.SetValue("K", "added", added));
  WHiveDocument reread;
  reread.Parse(document.Format());
  ASSERT_TRUE(reread.FindValue("K", "added", &value));
  EXPECT_EQ(value, added);
}

}  // namespace
