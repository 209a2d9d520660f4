#pragma once

#include <map>
#include <optional>
#include <string>

#include "tests/unit/core/scratch_dir.h"

// Points both hives (and HOME) into a scratch folder for the life of the
// object, so no test reaches the real home or /etc; restores the old
// environment afterwards.
class IsolatedHives {
 public:
  IsolatedHives();
  ~IsolatedHives();
  IsolatedHives(const IsolatedHives&) = delete;
  IsolatedHives& operator=(const IsolatedHives&) = delete;

  std::string UserHivePath() const;
  std::string MachineHivePath() const;
  // Makes the machine hive read-only (it is created first if missing).
  void LockMachineHive() const;
  const ScratchDir& Dir() const { return dir_; }

 private:
  void Set(const char* name, const std::string& value);

  ScratchDir dir_;
  std::map<std::string, std::optional<std::string>> saved_;
};
