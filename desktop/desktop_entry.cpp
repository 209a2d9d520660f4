#include "desktop/desktop_entry.h"

namespace {

// Characters that force an Exec argument into double quotes.
constexpr const char* kReservedExecChars = " \t\n\"'\\><~|&;$*?#()`";

// Inside double quotes these four need a backslash before them.
bool NeedsBackslashInQuotes(char c) { return c == '"' || c == '`' || c == '$' || c == '\\'; }

std::string QuoteExecArgument(const std::string& argument) {
  const bool quote = argument.empty() || argument.find_first_of(kReservedExecChars) != std::string::npos;
  std::string out;
  if (quote) out += '"';
  for (char c : argument) {
    if (c == '%') {
      out += "%%";  // a lone % would start a field code
      continue;
    }
    if (quote && NeedsBackslashInQuotes(c)) out += '\\';
    out += c;
  }
  if (quote) out += '"';
  return out;
}

// The string-value escapes, applied after the Exec quoting.
std::string EscapeStringValue(const std::string& value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::string FormatDesktopExec(const std::string& program) { return EscapeStringValue(QuoteExecArgument(program)); }

std::string BuildAutostartEntry(const std::string& program) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Quillbox\n"
         "Exec=" +
         FormatDesktopExec(program) +
         "\n"
         "Terminal=false\n";
}
