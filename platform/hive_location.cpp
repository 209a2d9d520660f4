#include "platform/hive_location.h"

#include <cstdlib>

#include "platform/user_folders.h"

namespace {

std::string AbsoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  return value;
}

std::string MachineConfigDir() {
  std::string dirs = AbsoluteEnv("XDG_CONFIG_DIRS");
  std::string first = dirs.substr(0, dirs.find(':'));
  return first.empty() ? std::string("/etc/xdg") : first;
}

}  // namespace

const char* HiveRootName(WHive hive) {
  return hive == WHive::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string HiveFilePath(WHive hive) {
  std::string dir = hive == WHive::LocalMachine ? MachineConfigDir() : UserConfigFolder();
  if (dir.empty()) return {};
  return dir + "/tarnwell/" + HiveRootName(hive) + ".reg";
}

std::string HiveKeyPath(WHive hive, const std::string& subKey) {
  std::string path = HiveRootName(hive);
  if (!subKey.empty()) path += "\\" + subKey;
  return path;
}
