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
