#pragma once

#include "cli/cli_session.h"

// Appends the rows of a CSV file (as export writes it) to the user's safe.
// The whole file is checked first and the safe is written once, so a bad row
// leaves the safe as it was.
ExitStatus RunImport(CliSession& session);
