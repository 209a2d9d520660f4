#pragma once

#include <cstdint>

#include "safe/entry.h"

// How strong safes merge: by entry id and modification time, so that two
// copies edited apart (a sync program's, the command line's while the
// window has the safe open) come together with nothing lost.
//  - An entry changed on one side only takes that change: it is the later.
//  - Changed on both: the later modification wins and the other side's
//    password, when it differs, goes to the winner's history.
//  - Deleted on one side and changed later on the other: the change stays.
//    Deleted after the other side's last change: it goes, and its tombstone
//    keeps an older copy from bringing it back.
// Legacy safes have no ids and keep matching entries by their three fields.

// Puts entry into list by its id under the rules above: replaces the entry
// of that id, or adds it unless a later deletion of it is known.
void PutEntryById(EntryList& list, const Entry& entry);

// Deletes the entry of that id and remembers when.
void DeleteEntryById(EntryList& list, const EntryId& id, int64_t deletedAt);

// Brings theirs into ours: ours keeps its order, entries only theirs has are
// appended in theirs' order. Returns how many entries came in or changed.
size_t MergeEntryLists(EntryList& ours, const EntryList& theirs);
