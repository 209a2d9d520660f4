#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/exit_status.h"

class CliSession;
struct CliArguments;

// The options of quillbox-cli. A command accepts the options whose bit its
// row names; options without a bit go with every command.
struct CliOption {
  std::string_view name;   // "--force"
  std::string_view alias;  // "-y", or empty
  std::string_view value;  // the value's placeholder; empty: takes none
  unsigned bit;
  // Stores the option (and its value) in arguments; false with a one-line
  // reason in error for a value out of bounds.
  bool (*apply)(CliArguments& arguments, std::string_view value, std::string* error);
  std::string_view help;
};

// One command of quillbox-cli: everything the parser, the dispatch, --help,
// the manual page and the README know of it.
struct CliCommandRow {
  std::string_view name;
  ExitStatus (*run)(CliSession& session);  // null: help
  // The operands after the name: USER, INDEX, DESCRIPTION, ACCOUNT_USER,
  // NAME or FILE; "[FILE]" may be left out, "INDEX..." repeats.
  std::string_view operands;
  unsigned options;
  bool needs_option;  // nothing to do without one of its options
  std::string_view help;
};

std::span<const CliOption> CliOptions();
std::span<const CliCommandRow> CliCommands();
// Null when there is no such command or option.
const CliCommandRow* FindCliCommand(std::string_view name);
const CliOption* FindCliOption(std::string_view name);
// "create USER [--force] [--legacy]"
std::string CliSynopsis(const CliCommandRow& command);
