#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/cpstringarray.h"

// One add, edit or delete as the user made it on the list shown: the lines it
// takes away (with the index each had there) and the lines it puts in. The
// same change applies to that list or, when the file turned out to be newer,
// to the newer list, so neither side's changes are lost.
struct EntryChange {
  EntryChange();

  // Each returns false when memory runs out.
  bool Remove(uint32_t index, const char* line);
  bool Add(const char* line);

  cpStringArray removed;
  std::vector<uint32_t> removedAt;
  cpStringArray added;
  bool isEdit = false;  // one line replaced by one line, in its place
};

enum class EntryChangeOutcome {
  kApplied,
  kEditAddedAsNew,  // the edited entry had changed or gone here: the edit came in as a new entry
  kFailed,          // out of memory; the list may hold part of the change
};

// Edit: the entry whose bytes were edited is replaced, else the edited entry
// is added. Delete: each removed line that is still there goes (one copy
// each). Add: appended. Lines are compared byte for byte; an index is only
// a hint for which of equal lines is meant.
EntryChangeOutcome ApplyEntryChange(cpStringArray& entries, const EntryChange& change);

// Adds the entries of from that into lacks, in from's order; entries equal in
// all three fields are one. Returns how many came in.
size_t AddMissingEntries(cpStringArray& into, const cpStringArray& from);
