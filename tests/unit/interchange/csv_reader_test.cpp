#include "interchange/csv_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Records = std::vector<std::vector<std::string>>;

// Every record of text; the error of a malformed one, if any.
Records RecordsOf(std::string_view text, CsvReader::Error* error = nullptr, std::vector<size_t>* lines = nullptr) {
  Records records;
  CsvReader reader(text);
  CsvReader::Error ignored;
  CsvReader::Step step;
  while ((step = reader.Next(error != nullptr ? error : &ignored)) == CsvReader::Step::kRecord) {
    records.emplace_back();
    for (size_t f = 0; f < reader.FieldCount(); ++f) records.back().emplace_back(reader.Field(f));
    if (lines != nullptr) lines->push_back(reader.Line());
  }
  EXPECT_EQ(reader.Next(&ignored), CsvReader::Step::kEnd) << "nothing is read after the end or a fault";
  return records;
}

TEST(CsvReader, ParsesWellFormedText) {
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
      // Without any LF, CR ends the lines (old Mac files).
      {"a,b\rc,\"d\re\"\r\rf\r", {{"a", "b"}, {"c", "d\re"}, {"f"}}},
  };
  for (const Case& c : cases) {
    CsvReader::Error error;
    EXPECT_EQ(RecordsOf(c.text, &error), c.records) << c.text;
    EXPECT_STREQ(error.message, "") << c.text;
  }
}

TEST(CsvReader, RecordLinesCountLineBreaksInsideQuotes) {
  for (const char* text : {"h\r\n\"a\r\nb\"\r\n\r\nc\r\n", "h\r\"a\rb\"\r\rc\r"}) {
    std::vector<size_t> lines;
    EXPECT_EQ(RecordsOf(text, nullptr, &lines).size(), 3u);
    EXPECT_EQ(lines, std::vector<size_t>({1, 2, 5})) << text;
  }
}

TEST(CsvReader, RefusesMalformedTextAndSaysWhere) {
  struct Case {
    std::string text;
    size_t line;
  };
  const Case cases[] = {
      {"a,b\n\"never closed,x\n", 2}, {"a,b\nc,d\"e\n", 2},
      {"\"closed\"junk,b\n", 1},      {"\"a\"\rb\n", 1},
      {"x\n\"a\nb\nc\" d\n", 4},      {"h\n" + std::string(CsvReader::kMaxFields, ','), 2},
  };
  for (const Case& c : cases) {
    CsvReader::Error error;
    RecordsOf(c.text, &error);
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_STRNE(error.message, "");
  }
}

TEST(CsvReader, WrittenRecordsReadBackUnchanged) {
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
  EXPECT_EQ(RecordsOf(text), records);
}

TEST(CsvReader, RandomFieldsSurviveWriteAndParse) {
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
  CsvReader::Error error;
  EXPECT_EQ(RecordsOf(text, &error), records);
  EXPECT_STREQ(error.message, "") << error.line;
}

}  // namespace
