#pragma once

#include "cli/cli_session.h"

// `quillbox-cli totp USER INDEX`: the entry's current one-time code and the
// seconds it has left, as "CODE\tSECONDS\n". Reads the safe only.
ExitStatus RunTotp(CliSession& session);
