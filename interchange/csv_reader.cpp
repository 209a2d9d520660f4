#include "interchange/csv_reader.h"

#include <string.h>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool NeedsQuotes(std::string_view field) { return field.find_first_of(",\"\r\n") != std::string_view::npos; }

std::string_view WithoutByteOrderMark(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  return text;
}

}  // namespace

CsvReader::CsvReader(std::string_view text)
    : text_(WithoutByteOrderMark(text)),
      cr_ends_lines_(text_.find('\n') == std::string_view::npos && text_.find('\r') != std::string_view::npos) {
  // Unquoting never lengthens a field, so this one reservation holds any record.
  buffer_.reserve(text_.size());
}

CsvReader::~CsvReader() { WipeRecord(); }

void CsvReader::WipeRecord() {
  explicit_bzero(buffer_.data(), buffer_.size());
  buffer_.clear();
  fields_.clear();
}

bool CsvReader::AtLineEnd() const {
  if (pos_ >= text_.size()) return false;
  if (text_[pos_] == '\n') return true;
  if (text_[pos_] != '\r') return false;
  return cr_ends_lines_ || text_.substr(pos_, 2) == "\r\n";
}

bool CsvReader::SkipLineEnd() {
  if (!AtLineEnd()) return false;
  pos_ += text_.substr(pos_, 2) == "\r\n" ? 2 : 1;
  ++line_;
  return true;
}

CsvReader::Step CsvReader::Next(Error* error) {
  WipeRecord();
  if (failed_) return Step::kEnd;
  while (SkipLineEnd()) {}
  if (pos_ >= text_.size()) return Step::kEnd;
  record_line_ = line_;
  bool record_ended = false;
  while (!record_ended) {
    size_t start = buffer_.size();
    bool ok = pos_ < text_.size() && text_[pos_] == '"' ? ReadQuoted(error) : ReadPlain(error);
    if (ok && fields_.size() == kMaxFields) {
      *error = {line_, "a row has more fields than any export"};
      ok = false;
    }
    if (ok) {
      fields_.emplace_back(buffer_.data() + start, buffer_.size() - start);
      ok = ReadSeparator(&record_ended, error);
    }
    if (!ok) {
      WipeRecord();
      failed_ = true;
      return Step::kMalformed;
    }
  }
  return Step::kRecord;
}

bool CsvReader::ReadQuoted(Error* error) {
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
    } else if (c == '\n' || (c == '\r' && cr_ends_lines_)) {
      ++line_;
    }
    buffer_.push_back(c);
  }
}

bool CsvReader::ReadPlain(Error* error) {
  while (pos_ < text_.size()) {
    char c = text_[pos_];
    if (c == ',' || AtLineEnd()) return true;
    if (c == '"') {
      *error = {line_, "a quote inside a field that does not start with one"};
      return false;
    }
    buffer_.push_back(c);
    ++pos_;
  }
  return true;
}

bool CsvReader::ReadSeparator(bool* record_ended, Error* error) {
  *record_ended = true;
  if (pos_ >= text_.size() || SkipLineEnd()) return true;
  if (text_[pos_] == ',') {
    ++pos_;
    *record_ended = false;
    return true;
  }
  *error = {line_, "text after the closing quote of a field"};
  return false;
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
