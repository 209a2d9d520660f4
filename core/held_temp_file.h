#pragma once

#include <string>

// Temporary files that may hold a safe or an export are held under an
// advisory lock (flock) for as long as their descriptor is open. A program
// killed while writing one lets go of it with its descriptors, so a sweep
// tells what a running writer still uses from what a killed one left.

// Creates directory/prefixXXXXXX (mode 0600) and returns its open, locked
// descriptor (O_CLOEXEC), with its name in path; -1 on failure. The lock
// goes with the descriptor: close it only once the file is renamed or gone.
int CreateHeldTempFile(const std::string& directory, const char* prefix, std::string& path);

// Removes the regular files in directory named prefix and six characters
// that nobody holds.
void RemoveUnheldTempFiles(const std::string& directory, const char* prefix);
