#pragma once

#include "cli/typed_secret.h"

enum class LineResult { kOk, kTooLong, kEndOfInput, kError };

// Reads one line from fd a byte at a time, so nothing after the line is
// consumed and no stdio buffer keeps a copy. The line break ("\n" or "\r\n")
// is dropped; a last line without one counts. A line longer than
// TypedSecret::kMaxLength is read to its end and refused.
LineResult ReadSecretLine(int fd, TypedSecret* line);

// Writes prompt to terminal_fd, reads a line from it with echo off and ends
// the line the user could not see. The terminal's settings come back on every
// path, also when a signal ends or stops the process during the read.
LineResult ReadHiddenLine(int terminal_fd, const char* prompt, TypedSecret* line);
