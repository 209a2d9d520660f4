#pragma once

#include <cstddef>

// The running executable's full path (the GetModuleFileName equivalent).
// Tests point it elsewhere so nothing is ever written beside the test binary.

// Copies the path into buffer (NUL-terminated). False when it cannot be
// obtained or does not fit in capacity bytes.
bool GetExecutablePath(char* buffer, size_t capacity);

// nullptr restores the real lookup; "" makes every lookup fail.
void OverrideExecutablePath(const char* path);
