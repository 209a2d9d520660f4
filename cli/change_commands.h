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

// Logs in and finds the entry the command line names; a copy of it goes to
// shown, which names it from then on (not its place in the list).
ExitStatus LogInForEntry(CliSession& session, Entry* shown);
// Checks and saves edited, made from shown.
ExitStatus SaveEdit(CliSession& session, const Entry& shown, Entry& edited);
