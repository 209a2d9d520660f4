#include "interchange/csv_table.h"

#include <string.h>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool NeedsQuotes(std::string_view field) { return field.find_first_of(",\"\r\n") != std::string_view::npos; }

// Walks the text one field at a time, writing unquoted contents into out.
class CsvScanner {
 public:
  CsvScanner(std::string_view text, std::string* out) : text_(text), out_(out) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  size_t line() const { return line_; }

  // Skips an empty line at the current position; true when there was one.
  bool SkipEmptyLine() {
    if (text_.substr(pos_, 2) == "\r\n") {
      pos_ += 2;
    } else if (pos_ < text_.size() && text_[pos_] == '\n') {
      pos_ += 1;
    } else {
      return false;
    }
    ++line_;
    return true;
  }

  // Reads one field and the separator after it; *record_ended tells whether
  // that was a line break (or the end of the text) rather than a comma.
  bool ReadField(std::string_view* field, bool* record_ended, CsvTable::Error* error) {
    size_t start = out_->size();
    bool ok = pos_ < text_.size() && text_[pos_] == '"' ? ReadQuoted(error) : ReadPlain(error);
    if (!ok) return false;
    *field = std::string_view(out_->data() + start, out_->size() - start);
    return ReadSeparator(record_ended, error);
  }

 private:
  bool ReadQuoted(CsvTable::Error* error) {
    size_t opening_line = line_;
    ++pos_;
    for (;;) {
      if (pos_ >= text_.size()) {
        *error = {opening_line, "a quoted field is not closed"};
        return false;
      }
      char c = text_[pos_++];
      if (c == '"') {
        if (pos_ < text_.size() && text_[pos_] == '"') {
          ++pos_;
        } else {
          return true;
        }
      } else if (c == '\n') {
        ++line_;
      }
      out_->push_back(c);
    }
  }

  bool ReadPlain(CsvTable::Error* error) {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == ',' || c == '\n' || text_.substr(pos_, 2) == "\r\n") return true;
      if (c == '"') {
        *error = {line_, "a quote inside a field that does not start with one"};
        return false;
      }
      out_->push_back(c);
      ++pos_;
    }
    return true;
  }

  bool ReadSeparator(bool* record_ended, CsvTable::Error* error) {
    *record_ended = true;
    if (AtEnd() || SkipEmptyLine()) return true;
    if (text_[pos_] == ',') {
      ++pos_;
      *record_ended = false;
      return true;
    }
    *error = {line_, "text after the closing quote of a field"};
    return false;
  }

  std::string_view text_;
  std::string* out_;
  size_t pos_ = 0;
  size_t line_ = 1;
};

}  // namespace

CsvTable::~CsvTable() { Clear(); }

void CsvTable::Clear() {
  explicit_bzero(text_.data(), text_.size());
  text_.clear();
  fields_.clear();
  records_.clear();
}

bool CsvTable::Parse(std::string_view text, Error* error) {
  Clear();
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  // Unquoting never lengthens a field, so this one reservation holds them all.
  text_.reserve(text.size());
  CsvScanner scanner(text, &text_);
  while (!scanner.AtEnd()) {
    if (scanner.SkipEmptyLine()) continue;
    Record record{scanner.line(), fields_.size(), 0};
    bool record_ended = false;
    while (!record_ended) {
      std::string_view field;
      if (!scanner.ReadField(&field, &record_ended, error)) {
        Clear();
        return false;
      }
      fields_.push_back(field);
      ++record.field_count;
    }
    records_.push_back(record);
  }
  return true;
}

void AppendCsvRecord(const std::vector<std::string_view>& fields, std::string* out) {
  size_t bound = out->size() + 2;
  for (std::string_view field : fields) bound += 2 * field.size() + 3;
  out->reserve(bound);
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out->push_back(',');
    std::string_view field = fields[i];
    if (!NeedsQuotes(field)) {
      out->append(field);
      continue;
    }
    out->push_back('"');
    for (char c : field) {
      if (c == '"') out->push_back('"');
      out->push_back(c);
    }
    out->push_back('"');
  }
  out->append("\r\n");
}
