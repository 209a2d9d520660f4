#pragma once

#include "cli/cli_session.h"

// Creating a user's safe and changing its password, through the application
// object's log-in operations.
ExitStatus RunCreate(CliSession& session);
ExitStatus RunPasswd(CliSession& session);
