#pragma once

#include "cli/cli_session.h"

// Writes the entries in the chosen format to a new 0600 file (or standard
// output). It only reads the safe, so it works while the safe is open in
// the desktop application.
ExitStatus RunExport(CliSession& session);
