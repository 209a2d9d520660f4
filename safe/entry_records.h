#pragma once

#include <cstddef>
#include <cstdint>

#include "core/wiping_allocator.h"
#include "safe/entry.h"

// The safe text of a version-3 strong safe: the entry list as records, laid
// out in docs/safe-format.md. The same list always gives the same bytes.

// The records of a list fit the strong format's 32-bit text length.
inline constexpr uint64_t kMaxEntryRecordsBytes = UINT32_MAX;
inline constexpr char kEntryListTooLargeMessage[] = "The safe would be larger than 4 GiB, more than a safe holds.";

// Null when the list can be written, else why not (an entry over a limit).
const char* CheckEntryListLimits(const EntryList& list);

// Replaces out with the list's records.
void EncodeEntryList(const EntryList& list, WipingBytes& out);

// Reads records into list (replacing it); false for anything that breaks
// the layout or a limit, leaving list empty.
bool DecodeEntryList(const uint8_t* bytes, size_t size, EntryList& list);
