#include "interchange/csv_table.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Records = std::vector<std::vector<std::string>>;

Records RecordsOf(const CsvTable& table) {
  Records records;
  for (size_t r = 0; r < table.RecordCount(); ++r) {
    records.emplace_back();
    for (size_t f = 0; f < table.FieldCount(r); ++f) records.back().emplace_back(table.Field(r, f));
  }
  return records;
}

TEST(CsvTable, ParsesWellFormedText) {
  struct Case {
    std::string text;
    Records records;
  };
  const Case cases[] = {
      {"", {}},
      {"a,b,c\r\n", {{"a", "b", "c"}}},
      {"a,b,c", {{"a", "b", "c"}}},
      {"a,b\nc,d\n", {{"a", "b"}, {"c", "d"}}},
      {"a,,\r\n", {{"a", "", ""}}},
      {"\"x,y\",\"say \"\"hi\"\"\",\"\"\r\n", {{"x,y", "say \"hi\"", ""}}},
      {"\"two\r\nlines\",\"lf\nonly\"\n", {{"two\r\nlines", "lf\nonly"}}},
      {"\xEF\xBB\xBF"
       "Description\r\n\r\n\nx\r\n",
       {{"Description"}, {"x"}}},
      {" a , b \n", {{" a ", " b "}}},
      {"pa\xE4ss,\t\n", {{"pa\xE4ss", "\t"}}},
      {"lone\rcr,x\n", {{"lone\rcr", "x"}}},
  };
  for (const Case& c : cases) {
    CsvTable table;
    CsvTable::Error error;
    ASSERT_TRUE(table.Parse(c.text, &error)) << c.text << ": " << error.message;
    EXPECT_EQ(RecordsOf(table), c.records) << c.text;
  }
}

TEST(CsvTable, RecordLinesCountLineBreaksInsideQuotes) {
  CsvTable table;
  CsvTable::Error error;
  ASSERT_TRUE(table.Parse("h\r\n\"a\r\nb\"\r\n\r\nc\r\n", &error));
  ASSERT_EQ(table.RecordCount(), 3u);
  EXPECT_EQ(table.RecordLine(0), 1u);
  EXPECT_EQ(table.RecordLine(1), 2u);
  EXPECT_EQ(table.RecordLine(2), 5u);
}

TEST(CsvTable, RefusesMalformedTextAndSaysWhere) {
  struct Case {
    std::string text;
    size_t line;
  };
  const Case cases[] = {
      {"a,b\n\"never closed,x\n", 2}, {"a,b\nc,d\"e\n", 2}, {"\"closed\"junk,b\n", 1}, {"\"a\"\rb\n", 1},
      {"x\n\"a\nb\nc\" d\n", 4},
  };
  for (const Case& c : cases) {
    CsvTable table;
    CsvTable::Error error;
    EXPECT_FALSE(table.Parse(c.text, &error)) << c.text;
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_STRNE(error.message, "");
    EXPECT_EQ(table.RecordCount(), 0u);
  }
}

TEST(CsvTable, WrittenRecordsReadBackUnchanged) {
  const Records records = {
      {"Description", "Username", "Password"},
      {"plain", "", "with space "},
      {"comma, inside", "\"quoted\"", "\"\"\""},
      {"cr\rlf\n", "crlf\r\n", "pa\xE4ss"},
      {"", "", ""},
  };
  std::string text;
  for (const auto& record : records) {
    std::vector<std::string_view> fields(record.begin(), record.end());
    AppendCsvRecord(fields, &text);
  }
  EXPECT_EQ(text.substr(0, 32), "Description,Username,Password\r\np");
  EXPECT_NE(text.find("\"comma, inside\",\"\"\"quoted\"\"\",\"\"\"\"\"\"\"\"\r\n"), std::string::npos);
  CsvTable table;
  CsvTable::Error error;
  ASSERT_TRUE(table.Parse(text, &error)) << error.message;
  EXPECT_EQ(RecordsOf(table), records);
}

TEST(CsvTable, RandomFieldsSurviveWriteAndParse) {
  // Fields built from the characters that matter to the format.
  const std::string alphabet = std::string(",\"\r\n\t a\xE4") + '\0';
  std::mt19937 random(4180);
  Records records;
  std::string text;
  for (int r = 0; r < 300; ++r) {
    std::vector<std::string> record(1 + random() % 4);
    for (std::string& field : record) {
      for (size_t n = random() % 8; n > 0; --n) field.push_back(alphabet[random() % alphabet.size()]);
    }
    // A record of one empty field is an empty line, which the reader skips.
    if (record.size() == 1 && record[0].empty()) record[0] = "x";
    AppendCsvRecord(std::vector<std::string_view>(record.begin(), record.end()), &text);
    records.push_back(record);
  }
  CsvTable table;
  CsvTable::Error error;
  ASSERT_TRUE(table.Parse(text, &error)) << error.line << ": " << error.message;
  EXPECT_EQ(RecordsOf(table), records);
}

}  // namespace
