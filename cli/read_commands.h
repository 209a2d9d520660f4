#pragma once

#include "cli/cli_session.h"

// Commands that only read a safe: they take no lock and never write it, so
// they work while the safe is open in the desktop application.
ExitStatus RunList(CliSession& session);
ExitStatus RunShow(CliSession& session);
// `quillbox-cli settings`: the settings, then the safe folder in use and why.
ExitStatus RunSettings(CliSession& session);
