#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "crypto/guarded_bytes.h"
#include "safe/entry_merge.h"

// Changes that could not be saved by the time their safe was closed (a lock,
// a log-out whose save failed), kept in guarded memory until that safe is
// open again. They are tied to the safe's file, by the real path of its
// folder, so that they never go into another folder's safe of the same name.
class HeldChanges {
 public:
  using Changes = std::vector<std::unique_ptr<EntryChange>>;

  // Takes the changes over and empties changes; false when memory runs out,
  // with changes left as they were.
  bool Hold(const char* safePath, Changes& changes);
  // Hands the changes back (and holds them no more) when they belong to the
  // safe at safePath; false otherwise, changing nothing.
  bool TakeFor(const char* safePath, Changes& changes);
  bool IsFor(const char* safePath) const;
  size_t Count() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }
  void Wipe();

 private:
  std::string file_;  // the safe's real path
  GuardedBytes bytes_;
  size_t count_ = 0;
};
