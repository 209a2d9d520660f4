#pragma once

#include "cli/cli_session.h"

// Adds the entries of another program's export (or the safe's own CSV) to
// the user's safe. The whole file is checked first and the safe is written
// once, so a bad entry leaves the safe as it was; entries the safe already
// holds are skipped.
ExitStatus RunImport(CliSession& session);
