#pragma once

#include "cli/typed_secret.h"

enum class LineResult { kOk, kTooLong, kEndOfInput, kError };

// Reads one line from fd a byte at a time, so nothing after the line is
// consumed and no stdio buffer keeps a copy. The line break ("\n" or "\r\n")
// is dropped; a last line without one counts. A line longer than the
// secret's max_length() is read to its end and refused.
LineResult ReadSecretLine(int fd, TypedSecret* line);

// Reads fd to its end, for a text of many lines that comes last; its final
// line break ("\n" or "\r\n"), when it has one, is dropped. Empty input is
// an empty text. A text longer than max_length() is refused without reading
// on.
LineResult ReadSecretRest(int fd, TypedSecret* text);

// Writes prompt to terminal_fd, reads a line from it with echo off and ends
// the line the user could not see. The terminal's settings come back on every
// path, also when a signal ends or stops the process during the read.
LineResult ReadHiddenLine(int terminal_fd, const char* prompt, TypedSecret* line);
