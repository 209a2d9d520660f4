#pragma once

#include <cstdint>
#include <cstdio>

#include "app/clock.h"
#include "safe/strong_format.h"

// The whole of quillbox-cli: parses the command line, runs the command and
// returns the process exit status (cli/exit_status.h). Data goes to out,
// messages to errors, one line each. New and upgraded safes get
// newSafeParams, and one-time codes are made for the time utcNow gives;
// only test builds pass other than the defaults.
int RunCli(int argc, const char* const* argv, FILE* out, FILE* errors,
           const StrongSafeParams& newSafeParams = kDefaultStrongSafeParams, int64_t (*utcNow)() = UtcSeconds);
