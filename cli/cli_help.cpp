#include "cli/cli_help.h"

#include <string_view>

#include "cli/command_table.h"
#include "core/document_text.h"
#include "interchange/interchange_format.h"

namespace {

constexpr size_t kWidth = 79;

// Greedy word wrap, each line indented.
std::string Wrap(std::string_view text, size_t indent) {
  std::string out;
  std::string line(indent, ' ');
  while (!text.empty()) {
    size_t space = text.find(' ');
    std::string_view word = text.substr(0, space);
    text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    if (line.size() > indent && line.size() + 1 + word.size() > kWidth) {
      out += line + "\n";
      line.assign(indent, ' ');
    }
    if (line.size() > indent) line += ' ';
    line += word;
  }
  return out + line + "\n";
}

void AddName(std::string* list, const char* name) { *list += (list->empty() ? "" : ", ") + std::string(name); }

std::string FormatsSentence() {
  std::string written, read_only, locked, key_files;
  for (const InterchangeFormat& format : InterchangeFormats()) {
    AddName(format.write != nullptr || format.write_protected != nullptr ? &written : &read_only, format.name);
    if (format.is_protected != nullptr) AddName(&locked, format.name);
    if (format.takes_key_file) AddName(&key_files, format.name);
  }
  std::string text = "Formats: " + written + " are read and written";
  if (!read_only.empty()) text += "; " + read_only + " are only read";
  if (!locked.empty()) text += ". Files of " + locked + " protected by a password are read with it";
  if (!key_files.empty()) text += ", and " + key_files + " with a key file too (--key-file)";
  return text + ".";
}

std::string OptionTitle(const CliOption& option) {
  std::string title(option.name);
  if (!option.value.empty()) title += " " + std::string(option.value);
  if (!option.alias.empty()) title += ", " + std::string(option.alias);
  return title;
}

constexpr char kNotes[] =
    "Passwords are otherwise asked on the terminal without echo. Secrets other than passwords never go on the "
    "command line: after the passwords, --totp reads the one-time-code secret (an otpauth://totp/ URI or a base32 "
    "secret; an empty line removes it) as the next line of standard input, and --notes the notes, like field its "
    "value, as the rest of standard input up to its end, a final line break dropped (empty input empties them). "
    "User names use only a-z, A-Z and 0-9 (at most 29). In a legacy safe fields hold at most 259 bytes of UTF-8 "
    "and no tab, CR or LF, and the options for other fields are refused; in a strong safe a field holds any text "
    "without NUL up to 64 KiB, notes up to 1 MiB. A safe open in the desktop program can be changed here too: each "
    "save merges what changed on disk since the safe was read.";

std::string Sentence(std::string_view text) {
  std::string out(text);
  if (!out.empty()) out[0] = static_cast<char>(out[0] - 'a' + 'A');
  return out + ".";
}

}  // namespace

std::string CliHelpText() {
  std::string text = "usage: quillbox-cli [--dir DIR] [--password-stdin] COMMAND ...\n\n";
  text += "Commands (INDEX counts from 1, as list shows it):\n";
  for (const CliCommandRow& command : CliCommands()) {
    text += "  " + CliSynopsis(command) + "\n" + Wrap(command.help, 6);
  }
  text += "\nOptions:\n";
  for (const CliOption& option : CliOptions()) {
    if (option.bit == 0) text += "  " + OptionTitle(option) + "\n" + Wrap(option.help, 6);
  }
  text += "\n" + Wrap(FormatsSentence(), 0) + "\n" + Wrap(kNotes, 0) + "\nExit status:\n";
  for (const ExitStatusRow& row : kExitStatusRows) {
    text += "  " + std::to_string(row.status) + Wrap(row.meaning, 5).substr(3);
  }
  return text;
}

std::string CliManualSections() {
  std::string text = ".SH COMMANDS\nIndexes count from 1, in stored order, as\n.B list\nprints them.\n";
  for (const CliCommandRow& command : CliCommands()) {
    text += ".TP\n.B \"" + TroffText(CliSynopsis(command)) + "\"\n" + TroffText(Sentence(command.help)) + "\n";
  }
  text += ".PP\n" + TroffText(FormatsSentence()) + "\n.SH OPTIONS\n";
  for (const CliOption& option : CliOptions()) {
    if (option.bit == 0)
      text += ".TP\n.B \"" + TroffText(OptionTitle(option)) + "\"\n" + TroffText(Sentence(option.help)) + "\n";
  }
  text += ".SH NOTES\n" + TroffText(kNotes) + "\n.SH EXIT STATUS\n";
  for (const ExitStatusRow& row : kExitStatusRows) {
    text += ".TP\n.B " + std::to_string(row.status) + "\n" + TroffText(Sentence(row.meaning)) + "\n";
  }
  return text;
}
