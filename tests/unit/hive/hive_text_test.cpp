#include "platform/hive_text.h"

#include <gtest/gtest.h>

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string data;
  for (int b : bytes) data.push_back(static_cast<char>(b));
  return data;
}

struct ParseCase {
  const char* line;
  const char* name;
  WHiveValue value;
};

TEST(HiveTextTest, ParsesEveryValueForm) {
  const ParseCase cases[] = {
      {R"("Last_Username"="alice")", "Last_Username", {kRegSz, std::string("alice\0", 6)}},
      {R"("Path"="C:\\dir \"x\"")", "Path", {kRegSz, std::string("C:\\dir \"x\"\0", 11)}},
      {R"("Quo\"te\\"="")", "Quo\"te\\", {kRegSz, std::string("\0", 1)}},
      {R"(@="default")", "", {kRegSz, std::string("default\0", 8)}},
      {R"("Last_Sort"=hex(0):02,00,00,00)", "Last_Sort", {kRegNone, Bytes({2, 0, 0, 0})}},
      {R"("n"=dword:0000abcd)", "n", {kRegDword, Bytes({0xcd, 0xab, 0, 0})}},
      {R"("n"=DWORD:FFFFFFFF)", "n", {kRegDword, Bytes({0xff, 0xff, 0xff, 0xff})}},
      {R"("n"=dword:7)", "n", {kRegDword, Bytes({7, 0, 0, 0})}},
      {R"("b"=hex:de,ad, BE ,ef)", "b", {kRegBinary, Bytes({0xde, 0xad, 0xbe, 0xef})}},
      {R"("m"=hex(7):61,00,00,00)", "m", {7, Bytes({0x61, 0, 0, 0})}},
      {R"("q"=hex(b):01,02,03,04,05,06,07,08)", "q", {11, Bytes({1, 2, 3, 4, 5, 6, 7, 8})}},
      {R"("e"=hex(0):)", "e", {kRegNone, ""}},
      {"  \"s\" = \"spaced\"  ", "s", {kRegSz, std::string("spaced\0", 7)}},
  };
  for (const ParseCase& c : cases) {
    std::string name;
    WHiveValue value;
    ASSERT_TRUE(ParseHiveValueLine(c.line, &name, &value)) << c.line;
    EXPECT_EQ(name, c.name) << c.line;
    EXPECT_EQ(value, c.value) << c.line;
  }
}

TEST(HiveTextTest, RefusesWhatItDoesNotFullyUnderstand) {
  const char* lines[] = {
      R"("bad"="tab\t")",          // unknown escape
      R"("bad"="open)",            // no closing quote
      R"("bad"="x" trailing)",     // text after the value
      R"("bad"=dword:123456789)",  // more than 32 bits
      R"("bad"=dword:12g4)",
      R"("bad"=dword:)",
      R"("bad"=hex:1,2z)",
      R"("bad"=hex:100)",
      R"("bad"=hex(0:01)",
      R"("bad"=hex(123456789):01)",
      R"("bad"=-)",  // a deletion is not a value
      R"("bad"=12)",
      R"("bad")",
      R"(bad="x")",
      "; comment",
      "",
  };
  for (const char* line : lines) {
    std::string name;
    WHiveValue value;
    EXPECT_FALSE(ParseHiveValueLine(line, &name, &value)) << line;
  }
}

// Whatever the store writes reads back as the same name and value.
TEST(HiveTextTest, FormattedLinesReadBackUnchanged) {
  struct FormatCase {
    const char* name;
    WHiveValue value;
    const char* line;
  };
  const FormatCase cases[] = {
      {"Last_Username", {kRegSz, std::string("bob\0", 4)}, R"("Last_Username"="bob")"},
      {"q\"\\", {kRegSz, std::string("a\\\"b\0", 5)}, R"("q\"\\"="a\\\"b")"},
      {"Last_Sort", {kRegNone, Bytes({0xfe, 0xff, 0xff, 0xff})}, R"("Last_Sort"=hex(0):fe,ff,ff,ff)"},
      {"", {kRegSz, std::string("d\0", 2)}, R"(@="d")"},
      {"d", {kRegDword, Bytes({1, 2, 3, 4})}, R"("d"=dword:04030201)"},
      {"b", {kRegBinary, Bytes({0, 0x10})}, R"("b"=hex:00,10)"},
      {"x", {0x20, ""}, R"("x"=hex(20):)"},
      // Text that would not survive the quoted form keeps its bytes.
      {"nl", {kRegSz, std::string("a\nb\0", 4)}, R"("nl"=hex(1):61,0a,62,00)"},
      {"cr", {kRegSz, std::string("a\r\0", 3)}, R"("cr"=hex(1):61,0d,00)"},
      {"nul", {kRegSz, std::string("a\0b\0", 4)}, R"("nul"=hex(1):61,00,62,00)"},
      {"unterminated", {kRegSz, "ab"}, R"("unterminated"=hex(1):61,62)"},
      {"empty", {kRegSz, ""}, R"("empty"=hex(1):)"},
      {"short dword", {kRegDword, Bytes({1})}, R"("short dword"=hex(4):01)"},
  };
  for (const FormatCase& c : cases) {
    std::string line;
    ASSERT_TRUE(FormatHiveValueLine(c.name, c.value, &line)) << c.line;
    EXPECT_EQ(line, c.line);
    std::string name;
    WHiveValue value;
    ASSERT_TRUE(ParseHiveValueLine(line, &name, &value)) << line;
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(value, c.value) << line;
  }
}

TEST(HiveTextTest, NamesThatCannotBeWrittenOnOneLineAreRefused) {
  std::string line;
  const WHiveValue value{kRegSz, std::string("x\0", 2)};
  EXPECT_FALSE(FormatHiveValueLine("two\nlines", value, &line));
  EXPECT_FALSE(FormatHiveValueLine("cr\r", value, &line));
  EXPECT_FALSE(FormatHiveValueLine(std::string("nul\0", 4), value, &line));
}

TEST(HiveTextTest, KeyLinesAndNameComparison) {
  std::string key;
  EXPECT_TRUE(ParseHiveKeyLine("[HKEY_CURRENT_USER\\Software\\tarnwell]", &key));
  EXPECT_EQ(key, "HKEY_CURRENT_USER\\Software\\tarnwell");
  EXPECT_TRUE(ParseHiveKeyLine("  [A]  ", &key));
  EXPECT_EQ(key, "A");
  EXPECT_FALSE(ParseHiveKeyLine("[unclosed", &key));
  EXPECT_FALSE(ParseHiveKeyLine("\"n\"=\"[x]\"", &key));
  EXPECT_EQ(FormatHiveKeyLine("A\\B"), "[A\\B]");

  EXPECT_TRUE(HiveNamesEqual("Last_Sort", "LAST_sort"));
  EXPECT_FALSE(HiveNamesEqual("Last_Sort", "Last_Sor"));
  EXPECT_FALSE(HiveNamesEqual("\xc4", "\xe4")) << "only ASCII letters fold";
}

TEST(HiveTextTest, OnlyHexValueLinesContinue) {
  EXPECT_TRUE(HiveLineContinues(R"("b"=hex:01,02,\)"));
  EXPECT_TRUE(HiveLineContinues(R"("b"=hex(0):01,\  )"));
  EXPECT_FALSE(HiveLineContinues(R"("s"="ends with \\")"));
  EXPECT_FALSE(HiveLineContinues(R"("b"=hex:01,02)"));
  EXPECT_FALSE(HiveLineContinues(R"(; comment \)"));
}

}  // namespace
