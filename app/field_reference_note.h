#pragma once

#include <span>
#include <string>

#include "safe/entry.h"

// What the entry dialog says of the entry's fields that refer to another
// entry (safe/field_reference.h): which fields, which entry, and that they
// are shown, copied and typed as that entry's values. Empty when no field
// holds a reference.
std::string FieldReferenceNote(const Entry& entry, std::span<const Entry> entries);
