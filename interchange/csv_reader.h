#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Comma-separated text as RFC 4180 has it: fields in double quotes may hold
// commas, CR and LF, with a quote written as two. Records end with CRLF or
// LF; in a text with no LF at all (old Mac line ends), with CR.
//
// Records are read one at a time, so what the reader holds beside the text
// is one record, whatever the file's length. The text may hold passwords:
// the record's fields live in one buffer reserved once (so it is never
// copied by growth) and wiped when the reader dies.
class CsvReader {
 public:
  struct Error {
    size_t line = 0;  // 1-based line of the text where the fault is
    const char* message = "";
  };
  enum class Step { kRecord, kEnd, kMalformed };

  // A leading UTF-8 byte order mark is skipped. text must outlive the reader.
  explicit CsvReader(std::string_view text);
  ~CsvReader();
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  // The next record, skipping empty lines; kMalformed with the place and
  // kind of the fault in error, after which nothing more is read.
  Step Next(Error* error);

  // The current record's first line (1-based) and fields; the views hold
  // until the next call.
  size_t Line() const { return record_line_; }
  size_t FieldCount() const { return fields_.size(); }
  std::string_view Field(size_t field) const { return fields_[field]; }

  // A row of more fields than any export has is a wrong or hostile file.
  static constexpr size_t kMaxFields = 1024;

 private:
  bool AtLineEnd() const;
  bool SkipLineEnd();
  bool ReadQuoted(Error* error);
  bool ReadPlain(Error* error);
  bool ReadSeparator(bool* record_ended, Error* error);
  void WipeRecord();

  std::string_view text_;
  bool cr_ends_lines_;
  size_t pos_ = 0;
  size_t line_ = 1;
  bool failed_ = false;
  size_t record_line_ = 0;
  std::string buffer_;  // the current record's unquoted contents, end to end
  std::vector<std::string_view> fields_;
};

// Appends one record to out, quoting the fields that need it, ended by CRLF.
// out is reserved beforehand, so a field is written into it only once.
void AppendCsvRecord(const std::vector<std::string_view>& fields, std::string* out);
