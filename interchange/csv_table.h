#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Comma-separated text as RFC 4180 has it: fields in double quotes may hold
// commas, CR and LF, with a quote written as two. Records end with CRLF or LF.
// The text may hold passwords: every field lives in one buffer reserved once
// (so it is never copied by growth) and wiped when the table dies.
class CsvTable {
 public:
  struct Error {
    size_t line = 0;  // 1-based line of the text where the fault is
    const char* message = "";
  };

  CsvTable() = default;
  ~CsvTable();
  CsvTable(const CsvTable&) = delete;
  CsvTable& operator=(const CsvTable&) = delete;

  // Replaces the table with the records of text. A leading UTF-8 byte order
  // mark and empty lines are skipped. False (and an empty table) on malformed
  // text, with the place and kind of the fault in error.
  bool Parse(std::string_view text, Error* error);

  size_t RecordCount() const { return records_.size(); }
  // The line of the text where the record starts (1-based).
  size_t RecordLine(size_t record) const { return records_[record].line; }
  size_t FieldCount(size_t record) const { return records_[record].field_count; }
  std::string_view Field(size_t record, size_t field) const { return fields_[records_[record].first_field + field]; }

 private:
  struct Record {
    size_t line;
    size_t first_field;
    size_t field_count;
  };
  void Clear();

  std::string text_;  // unquoted field contents, end to end
  std::vector<std::string_view> fields_;
  std::vector<Record> records_;
};

// Appends one record to out, quoting the fields that need it, ended by CRLF.
// out is reserved beforehand, so a field is written into it only once.
void AppendCsvRecord(const std::vector<std::string_view>& fields, std::string* out);
