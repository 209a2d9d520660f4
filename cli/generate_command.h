#pragma once

#include "cli/cli_session.h"

// `quillbox-cli generate`: prints --count passwords, one a line, made by the
// same generator as the window's; no safe is read.
ExitStatus RunGenerate(CliSession& session);
