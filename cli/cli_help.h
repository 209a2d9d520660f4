#pragma once

#include <string>

// The text of quillbox-cli --help, from the command table.
std::string CliHelpText();

// The COMMANDS, OPTIONS and EXIT STATUS sections of quillbox-cli(1) in
// troff, from the same table; the committed page holds them as they are.
std::string CliManualSections();
