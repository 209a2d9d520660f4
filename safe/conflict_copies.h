#pragma once

#include <string>
#include <vector>

// Sync programs keep both versions when two machines changed one file:
//   Syncthing  USER.sync-conflict-YYYYMMDD-HHMMSS-DEVICEID.SAFE
//   Nextcloud  USER (conflicted copy YYYY-MM-DD HHMMSS).SAFE
//   Dropbox    USER (NAME's conflicted copy YYYY-MM-DD).SAFE
// Whether fileName is such a copy of userName's safe; names of other users
// (a longer name that starts with this one, too) never match.
bool IsConflictCopyName(const std::string& fileName, const std::string& userName);

// The conflict copies of the user's safe in the safe folder, sorted, each as
// the name the safe store takes in place of a user name (the file name
// without ".SAFE").
std::vector<std::string> FindConflictCopies(const char* userName);
