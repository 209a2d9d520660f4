#pragma once

#include <string>
#include <string_view>

#include "cli/cli_session.h"
#include "core/secret_text.h"

// What a command prints, gathered in text that is wiped when freed: a piece
// may be a password. Fields are written as UTF-8 by the rule the window
// reads them with.
class CommandOutput {
 public:
  CommandOutput& operator<<(std::string_view plain);
  // A field; with indent, each line after its first starts with two spaces,
  // so that every line of the output starts with a label or an indent.
  CommandOutput& Field(std::string_view field, bool indent = false);
  // A field as one CSV cell: quoted, its quotes doubled.
  CommandOutput& CsvField(std::string_view field);
  ExitStatus WriteTo(CliSession& session);

 private:
  SecretText text_;
};
