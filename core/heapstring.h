#pragma once

#include <cstdarg>
#include <cstddef>

// Heap strings: NUL-terminated byte strings on the C heap (malloc/free).
// A null pointer always means "no string", never an empty one. Strings
// returned here belong to the caller, who gives them back with FreeString
// (or WipeAndFree when they held a secret). cpStringArray items live on the
// same heap, so a string made here may be handed to cpStringArray::AddOwned.

// printf-style formatting into a new heap string; null on allocation failure
// or a formatting error.
char* FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The growing-buffer loop behind FormatString: tries startSize bytes, then
// doubles until the whole text fits. *out receives the new string or null.
// Returns the formatter's character count, or -1 when no string was made.
int FormatStringV(char** out, size_t startSize, const char* format, va_list args) __attribute__((format(printf, 3, 0)));

// Copies length bytes and appends a NUL.
char* DupBytes(const void* data, size_t length);

// Replaces every occurrence of from by to, left to right without overlap.
// Works in place unless to is longer than from; then *text is replaced by a
// new string (the old one is released). False when that allocation fails,
// leaving *text as it was. An empty from changes nothing.
bool ReplaceAll(char** text, const char* from, const char* to);

// Makes every line end ("\r\n", "\r" or "\n") the given one.
bool NormalizeLineEnds(char** text, const char* lineEnd);

// White space is exactly 0x09..0x0D and 0x20; bytes >= 0x80 never are.
bool IsTrimSpace(char c);
void TrimLeft(char* text);
void TrimRight(char* text);

void FreeString(char* text);
// Overwrites the whole block before releasing it: for passwords.
void WipeAndFree(char* text);
