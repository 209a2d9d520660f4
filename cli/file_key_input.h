#pragma once

#include "cli/cli_session.h"
#include "interchange/file_key.h"
#include "interchange/import_file.h"

// The key of a file another program protects, as import and export ask it:
// its password on the terminal (or the next line of standard input with
// --password-stdin) and the --key-file option's file.

// --key-file with a format that takes none is refused before anything is
// asked; format_name names it for the message.
ExitStatus CheckKeyFileOption(CliSession& session, bool takes_key_file, const char* format_name);

// The password of the file being imported, then the key file's bytes.
ExitStatus ReadImportFileKey(CliSession& session, ImportKey need, FileKey* key);

// The new password of the file being exported, asked twice on a terminal,
// then the key file's bytes.
ExitStatus ReadExportFileKey(CliSession& session, FileKey* key);
