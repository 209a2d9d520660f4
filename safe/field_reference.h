#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/secret_text.h"
#include "safe/entry.h"

// KeePass's field references: "{REF:P@I:46C9B1FFBD4ABC4BBB260C6190BAD20C}"
// stands for the password (P; T title, U user name, A web address, N notes,
// I the UUID) of the entry with that UUID, and text may stand around it.
// An entry answers to the UUID it had in KeePass (its kSourceIdField) and to
// its own id. Values keep references as written, so that KeePass files
// keep them; they are resolved where a value is used.

// Resolving a value follows at most this many references in a chain...
inline constexpr size_t kMaxReferenceDepth = 10;
// ...and this many in all, into a value of at most this size.
inline constexpr size_t kMaxReferencesResolved = 1000;
inline constexpr size_t kMaxResolvedBytes = kMaxEntryNotesBytes;

// Whether the value holds something written as a reference, resolvable or not.
bool HasFieldReference(std::string_view value);
// The same for any text field of the entry (its history aside).
bool EntryHasFieldReference(const Entry& entry);

class FieldReferences {
 public:
  explicit FieldReferences(std::span<const Entry> entries) : entries_(entries) {}

  // The value with each reference replaced by the field it names, itself
  // resolved. A reference whose entry or field is missing, or whose
  // resolution meets a loop or goes past the bounds above, stays as
  // written: the value is never followed for ever.
  SecretText Resolve(std::string_view value) const;
  // The entry a reference in the value names, whether or not it resolves;
  // null when it names none that is here.
  const Entry* FirstTarget(std::string_view value) const;

 private:
  struct Work;
  bool Expand(std::string_view value, Work& work, SecretText* out) const;
  const Entry* Find(std::string_view uuid_hex) const;

  std::span<const Entry> entries_;
  // Built at the first reference: most values have none.
  mutable std::unordered_map<std::string, size_t> index_;
  mutable bool indexed_ = false;
};

// One value resolved among the entries, for a single use (a copy, a value
// shown, typed or served to another program).
SecretText ResolveFieldReferences(std::string_view value, std::span<const Entry> entries);

// The entry with its title, user name, password, web address, notes and
// custom fields resolved, for formats that have no references.
Entry WithFieldReferencesResolved(const Entry& entry, const FieldReferences& references);
