#pragma once

#include <string>
#include <vector>

#include "safe/entry.h"

// How a change to the safe ended: made and saved; refused; or made but not
// saved, with why.
struct StoreResult {
  enum class Kind { kDone, kRefused, kNotSaved };
  Kind kind = Kind::kDone;
  std::string why;
};

// What the Secret Service reaches of the open safe: its entries, and one
// change at a time by entry id, through the safe's own change path.
class SecretStore {
 public:
  virtual ~SecretStore() = default;
  virtual bool IsUnlocked() const = 0;
  // The safe's user, who names the collection; empty when none is chosen.
  virtual std::string UserName() const = 0;
  // Every entry, served or not (references resolve across all); none while locked.
  virtual const std::vector<Entry>& Entries() const = 0;
  // Null when the entry can be stored, else why not.
  virtual const char* Check(const Entry& entry) const = 0;
  // The new entry's id in *added when it was stored, saved or not.
  virtual StoreResult Add(Entry entry, EntryId* added) = 0;
  virtual StoreResult Replace(const EntryId& id, Entry edited) = 0;
  virtual StoreResult Delete(const EntryId& id) = 0;
  // As the window's Lock command.
  virtual void Lock() = 0;
};
