#include "tests/unit/settings/isolated_hives.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

IsolatedHives::IsolatedHives() {
  Set("HOME", dir_.Path("home"));
  Set("XDG_CONFIG_HOME", dir_.Path("user"));
  Set("XDG_CONFIG_DIRS", dir_.Path("machine") + ":" + dir_.Path("other"));
}

IsolatedHives::~IsolatedHives() {
  for (const auto& [name, value] : saved_) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }
}

std::string IsolatedHives::UserHivePath() const { return dir_.Path("user/tarnwell/HKEY_CURRENT_USER.reg"); }

std::string IsolatedHives::MachineHivePath() const { return dir_.Path("machine/tarnwell/HKEY_LOCAL_MACHINE.reg"); }

void IsolatedHives::LockMachineHive() const {
  std::filesystem::create_directories(dir_.Path("machine/tarnwell"));
  if (!std::filesystem::exists(MachineHivePath())) WriteTextFile(MachineHivePath(), "");
  chmod(MachineHivePath().c_str(), 0444);
}

void IsolatedHives::Set(const char* name, const std::string& value) {
  const char* old = getenv(name);
  saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
  setenv(name, value.c_str(), 1);
}
