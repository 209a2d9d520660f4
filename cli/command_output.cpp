#include "cli/command_output.h"

#include <string.h>

#include "core/legacy_text.h"

CommandOutput& CommandOutput::operator<<(std::string_view plain) {
  text_.Append(plain);
  return *this;
}

CommandOutput& CommandOutput::Field(std::string_view field, bool indent) {
  std::string converted;
  converted.reserve(3 * field.size());
  AppendFieldAsUtf8(field, &converted);
  std::string_view rest = converted;
  for (size_t end; indent && (end = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(end + 1)) {
    text_.Append(rest.substr(0, end + 1));
    text_.Append("  ");
  }
  text_.Append(rest);
  explicit_bzero(converted.data(), converted.size());
  return *this;
}

CommandOutput& CommandOutput::CsvField(std::string_view field) {
  std::string converted;
  converted.reserve(3 * field.size());
  AppendFieldAsUtf8(field, &converted);
  text_.Append("\"");
  for (size_t start = 0, quote; start <= converted.size(); start = quote + 1) {
    quote = converted.find('"', start);
    if (quote == std::string::npos) quote = converted.size();
    text_.Append(std::string_view(converted).substr(start, quote - start));
    if (quote < converted.size()) text_.Append("\"\"");
  }
  text_.Append("\"");
  explicit_bzero(converted.data(), converted.size());
  return *this;
}

ExitStatus CommandOutput::WriteTo(CliSession& session) {
  if (fwrite(text_.c_str(), 1, text_.size(), session.out()) == text_.size() && fflush(session.out()) == 0 &&
      !ferror(session.out())) {
    return kExitOk;
  }
  return session.Fail(kExitFailure, "standard output could not be written");
}
