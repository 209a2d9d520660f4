#pragma once

#include <string>

// The two registry hives, each kept in its own text file.
enum class WHive {
  LocalMachine,  // HKEY_LOCAL_MACHINE
  CurrentUser,   // HKEY_CURRENT_USER
};

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER": the first part of every key
// path inside that hive's file.
const char* HiveRootName(WHive hive);

// The hive file, from the environment as it is now (never cached):
//   user:    ${XDG_CONFIG_HOME:-$HOME/.config}/tarnwell/HKEY_CURRENT_USER.reg
//   machine: first entry of ${XDG_CONFIG_DIRS:-/etc/xdg} + /tarnwell/HKEY_LOCAL_MACHINE.reg
// Relative or empty variables are ignored, as the XDG rules ask. Empty when
// no absolute folder can be found.
std::string HiveFilePath(WHive hive);

// The full path of a key inside the hive's file: the root name, then
// "\\" and subKey unless subKey is empty.
std::string HiveKeyPath(WHive hive, const std::string& subKey);
