#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "safe/entry.h"

// One add, edit or delete as the user made it on the list shown: the entries
// it takes away (with the index each had there) and the entries it puts in.
// The same change applies to that list or, when the file turned out to be
// newer, to the newer list, so neither side's changes are lost.
struct EntryChange {
  void Remove(uint32_t index, const Entry& entry);
  void Add(const Entry& entry);

  std::vector<Entry> removed;
  std::vector<uint32_t> removedAt;
  std::vector<Entry> added;
  // Deletions another copy made, each at its own time (merges by id only).
  std::vector<EntryTombstone> deleted;
  bool isEdit = false;  // one entry replaced by one entry, in its place
  int64_t madeAt = 0;   // seconds since 1970 UTC: when a deletion happened
};

enum class EntryChangeOutcome {
  kApplied,
  kEditAddedAsNew,  // the edited entry had changed or gone here: the edit came in as a new entry
  kFailed,          // out of memory; the list may hold part of the change
};

// How entries are matched: a legacy safe's by their three fields, compared
// byte for byte (an index is only a hint for which of equal entries is
// meant); a strong safe's by id, under safe/merge_by_id.h's rules.
enum class EntryMatch { kByFields, kById };

// Edit: the edited entry is replaced, else the edit is added. Delete: each
// removed entry that is still there goes (by fields: one copy each; by id:
// with a tombstone, unless it changed after the deletion). Add: appended.
EntryChangeOutcome ApplyEntryChange(EntryList& list, const EntryChange& change, EntryMatch match);

// Brings the entries of from that into lacks, in from's order. By fields,
// entries equal in all three are one; by id, safe/merge_by_id.h decides.
// Returns how many entries came in or changed.
size_t AddMissingEntries(EntryList& into, const EntryList& from, EntryMatch match);
