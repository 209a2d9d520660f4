#pragma once

#include <string>
#include <vector>

#include "tests/unit/core/scratch_dir.h"

// Runs the real quillbox-cli binary in a session of its own (so it has no
// controlling terminal), with TMPDIR pointed at temp_dir.
struct CliResult {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

// program defaults to the test build, which differs from the shipped one
// only in the Argon2id parameters of new safes.
CliResult RunCliProcess(const std::vector<std::string>& args, const std::string& input, const std::string& temp_dir,
                        const char* program = QUILLBOX_CLI_PATH);

// The designed first three lines of show's output (description, user name,
// password); a strong safe's other fields follow them.
std::string DesignedLines(const std::string& shown);
