#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "safe/entry_merge.h"
#include "safe/held_safe_key.h"

// Changes that could not be saved by the time their safe was closed (a lock,
// a log-out whose save failed), kept until that safe is open again. They are
// sealed under a key derived from the safe's, which the next log-in derives
// again: while the safe is closed they are no more readable than its file.
// They are tied to the safe's file, by the real path of its folder, so that
// they never go into another folder's safe of the same name.
class HeldChanges {
 public:
  using Changes = std::vector<std::unique_ptr<EntryChange>>;

  // Seals the changes and empties changes; false when memory runs out or
  // the key holds nothing, with changes left as they were.
  bool Hold(const char* safePath, const HeldSafeKey& key, Changes& changes);
  // Hands the changes back (and holds them no more) when they belong to the
  // safe at safePath and open under its key; false otherwise, changing
  // nothing.
  bool TakeFor(const char* safePath, const HeldSafeKey& key, Changes& changes);
  bool IsFor(const char* safePath) const;
  // The key they were sealed under, derived again from password: the safe's
  // old one, after its password was changed elsewhere. Slow for a strong
  // safe; false when the parameters are refused or memory runs out.
  bool DeriveKeyFor(const char* password, HeldSafeKey& key) const;
  size_t Count() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }
  // What is kept while the safe is closed: the salt, then the sealed bytes.
  std::span<const uint8_t> Sealed() const { return sealed_; }
  void Wipe();

 private:
  std::string file_;  // the safe's real path, which the seal is bound to
  std::vector<uint8_t> sealed_;
  // Of the key sealed under: none of it secret.
  SafeFormat format_ = SafeFormat::kLegacy;
  StrongSafeParams params_{};
  std::array<uint8_t, kStrongSaltSize> salt_{};
  size_t count_ = 0;
};
