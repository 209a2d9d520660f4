#pragma once

#include "cli/cli_session.h"

// `quillbox-cli merge USER`: what the window does at log-in. The sync
// programs' conflict copies of the user's safe that open with its password
// give the safe the entries it lacks and are then removed; others are left
// alone and named on standard error.
ExitStatus RunMerge(CliSession& session);
