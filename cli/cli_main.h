#pragma once

#include <cstdio>

// The whole of quillbox-cli: parses the command line, runs the command and
// returns the process exit status (cli/exit_status.h). Data goes to out,
// messages to errors, one line each.
int RunCli(int argc, const char* const* argv, FILE* out, FILE* errors);
