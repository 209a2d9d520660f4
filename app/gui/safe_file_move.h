#pragma once

#include <string>
#include <vector>

// Moves a user's safe file and its sync conflict copies from one safe folder
// to another when the Safe Folder changes. No Qt: plain files.

// The safe paths of userName in the folder in use now: its safe first, then
// its conflict copies. Empty when the user has no safe there.
std::vector<std::string> SafeFilesOfUser(const char* userName);

// Moves each file into folder under its own name, never over an existing
// file: a hard link and an unlink on one file system, else a synced copy
// beside the destination that is linked into place. Stops at the first
// failure, with its reason; files moved before it stay moved.
bool MoveSafeFiles(const std::vector<std::string>& files, const std::string& folder, std::string& reason);
