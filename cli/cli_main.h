#pragma once

#include <cstdio>

#include "safe/strong_format.h"

// The whole of quillbox-cli: parses the command line, runs the command and
// returns the process exit status (cli/exit_status.h). Data goes to out,
// messages to errors, one line each. New and upgraded safes get
// newSafeParams; only test builds pass other than the defaults.
int RunCli(int argc, const char* const* argv, FILE* out, FILE* errors,
           const StrongSafeParams& newSafeParams = kDefaultStrongSafeParams);
