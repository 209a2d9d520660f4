#pragma once

#include "safe/entry.h"

// count entries as a user who moved in from another manager has them: web
// address, two lines of notes, tags, times.
EntryList MakeBenchEntries(int count);
