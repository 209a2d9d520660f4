#pragma once

// Whether the file at path is a whole safe record whose CRC matches under
// the password: the verify pass of a load, also used by a save to check
// what it wrote before it replaces the user's safe with it.
bool CheckSafeFile(const char* path, const char* password);
