#pragma once

#include "cli/cli_session.h"

// Commands that change entries through the application object's operations,
// holding the safe's lock while they run. Nothing is written unless every
// check has passed.
ExitStatus RunAdd(CliSession& session);
ExitStatus RunEdit(CliSession& session);
// Sets or deletes a custom field, its value read from standard input.
ExitStatus RunField(CliSession& session);
ExitStatus RunRemove(CliSession& session);

// Logs in and finds the entry the command line names; the entry's index in
// the list goes to entry_index.
ExitStatus LogInForEntry(CliSession& session, int* entry_index);
// Checks and saves an edited copy of the entry at entry_index.
ExitStatus SaveEdit(CliSession& session, int entry_index, Entry& edited);
