#pragma once

#include "cli/cli_session.h"

// `quillbox-cli report USER [--hibp FILE] [--format text|csv]`: the password
// health table, worst first. Reads only, like list. Exit status 0 when no
// entry needs attention, 1 when one does or the breach list failed.
ExitStatus RunReport(CliSession& session);
