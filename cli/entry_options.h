#pragma once

#include "cli/cli_session.h"

// What add, edit and field set beyond the three designed fields. Only a
// strong safe holds it. Secrets never come from the command line, where
// other users can read them: after the passwords, --totp reads the
// one-time-code secret as the next line of standard input and --notes the
// notes as the rest of it.

// On a legacy safe these options (and the field command) are refused before
// any password is asked, so nothing changes.
ExitStatus RefuseStrongOnlyOptionsOnLegacySafe(CliSession& session);
// --url, --untag, --tag, then --totp and --notes into entry.
ExitStatus ApplyEntryOptions(CliSession& session, Entry& entry);
