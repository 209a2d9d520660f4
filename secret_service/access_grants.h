#pragma once

#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "safe/entry.h"

// "Allow Always" answers: an entry id and the executable allowed to read
// it, one a line. They are kept on this machine, beside the settings, and
// never in the safe: granting is no edit of the entry (its modified time,
// history and age stay), a safe or an imported file cannot carry a grant,
// and an executable's path names a program on this machine only.
class AccessGrants {
 public:
  // An empty path keeps grants for this run only.
  explicit AccessGrants(std::string path);

  bool IsAllowed(const EntryId& id, std::string_view executable) const;
  // False when the executable cannot be named in the file (empty, or with
  // a line break) or the file could not be written; the grant then holds
  // for this run only.
  bool Allow(const EntryId& id, std::string_view executable);

 private:
  void Load();
  bool Save() const;

  std::string path_;
  std::set<std::pair<EntryId, std::string>> grants_;
};

// ${XDG_CONFIG_HOME:-$HOME/.config}/tarnwell/secret-service-grants; empty
// when there is no configuration folder.
std::string AccessGrantsPath();
