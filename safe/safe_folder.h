#pragma once

#include <string>

// The folder that holds the safes, their lock files and the leftovers a save
// may sweep. A folder the user chose (the "Safe_Folder" setting, or
// quillbox-cli's --dir) wins. Otherwise the safes live beside the executable,
// a portable install, unless that folder exists and the user may not write
// there (a packaged install in /usr/bin): then in the user's data folder.
enum class SafeFolderReason {
  kChosen,            // set with SetSafeFolder
  kBesideExecutable,  // the designed rule, also when the executable is unknown ("/")
  kUserData,          // the executable's folder is not writable
};

struct SafeFolder {
  std::string path;  // ends in '/'
  SafeFolderReason reason;
};

// The folder in use now. The user-data folder is made (0700) when it is chosen;
// its path is empty when no home folder can be named.
SafeFolder GetSafeFolder();

// Every later safe path goes into folder (made absolute by the caller); an
// empty one returns to the rule above.
void SetSafeFolder(const std::string& folder);

// One line for people: why the safes are where they are.
const char* DescribeSafeFolderReason(SafeFolderReason reason);
