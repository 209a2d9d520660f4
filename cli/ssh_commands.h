#pragma once

#include "cli/cli_session.h"

// An entry's SSH key: loaded from a file into the entry, handed to the SSH
// agent at SSH_AUTH_SOCK with the entry's constraints, taken back again.
ExitStatus RunSshKey(CliSession& session);
ExitStatus RunSshAdd(CliSession& session);
ExitStatus RunSshRemove(CliSession& session);
