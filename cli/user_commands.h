#pragma once

#include "cli/cli_session.h"

// Creating a user's safe, changing its password, upgrading its format and
// telling its format, through the application object's log-in operations.
ExitStatus RunCreate(CliSession& session);
ExitStatus RunPasswd(CliSession& session);
ExitStatus RunUpgrade(CliSession& session);
ExitStatus RunInfo(CliSession& session);
