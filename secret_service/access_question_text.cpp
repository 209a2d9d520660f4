#include "secret_service/access_question_text.h"

#include "core/utf8.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
constexpr char kEllipsis[] = "\xE2\x80\xA6";     // U+2026

// The code point starting at text[i] and its length in bytes; a byte that
// does not start well-formed UTF-8 reads as U+FFFD, one byte long, and is
// never shown as it is.
char32_t DecodeAt(std::string_view text, size_t i, size_t* length) {
  size_t next = i;
  char32_t code = 0;
  if (!DecodeUtf8(text, next, code)) {
    *length = 1;
    return 0xFFFD;
  }
  *length = next - i;
  return code;
}

// Characters that move, hide or break lines: C0 and C1 controls, DEL, the
// bidirectional marks, embeddings, overrides and isolates, and the line
// and paragraph separators.
bool IsHidden(char32_t code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x200E || code == 0x200F ||
         (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069) || code == 0x2028 || code == 0x2029 ||
         code == 0x061C || code == 0xFFFD;
}

std::string Line(const char* label, std::string_view value) {
  return std::string(label) + (value.empty() ? std::string("(none)") : ShownValue(value)) + "\n";
}

}  // namespace

std::string ShownValue(std::string_view value) {
  std::string shown;
  size_t i = 0;
  while (i < value.size()) {
    size_t length = 1;
    const char32_t code = DecodeAt(value, i, &length);
    const std::string_view piece = IsHidden(code) ? std::string_view(kReplacement) : value.substr(i, length);
    if (shown.size() + piece.size() > kMaxShownBytes) {
      shown += kEllipsis;
      break;
    }
    shown += piece;
    i += length;
  }
  return shown;
}

std::string AccessQuestionText(AccessKind kind, const Entry& entry, const ProcessIdentity& program) {
  const char* question = kind == AccessKind::kRead     ? "Allow this program to read the password of this entry?\n\n"
                         : kind == AccessKind::kChange ? "Allow this program to change this entry?\n\n"
                                                       : "Allow this program to delete this entry?\n\n";
  std::string text = question;
  text += Line("Entry: ", entry.title.view());
  text += Line("User name: ", entry.userName.view());
  text += Line("Web address: ", entry.url.view());
  text += "\n";
  if (program.IsKnown()) {
    text += Line("Program: ", program.executable);
    text += Line("Command line: ", program.commandLine);
  } else {
    text += "Program: not known (the process that connected has ended or runs something else now)\n";
  }
  text += "Process: " + std::to_string(program.pid) + "\n";
  if (program.executableGone) {
    text += "Allow Always is not offered: the program's file was replaced or deleted since it started.\n";
  } else if (program.interpreter) {
    text += "Allow Always is not offered: the program runs scripts, and would allow every script it runs.\n";
  }
  return text;
}
