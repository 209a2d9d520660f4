#pragma once

#include <string>

// ${XDG_CONFIG_HOME:-$HOME/.config}, read from the environment as it is now.
// Relative values are ignored, as the XDG rules ask; without a usable HOME
// the password database names the home folder. Empty when nothing does.
std::string UserConfigFolder();

// ${XDG_DATA_HOME:-$HOME/.local/share}, by the same rules.
std::string UserDataFolder();

// ${XDG_STATE_HOME:-$HOME/.local/state}, by the same rules.
std::string UserStateFolder();

// mkdir -p; every folder it creates is private (0700). True when the whole
// path exists as folders afterwards.
bool MakeFolders(const std::string& folder);
