#pragma once

// Copies source over destination (the CopyFile-with-overwrite equivalent),
// atomically: a reader, or a crash, sees the old destination or the new one,
// never a half-written file. A destination that is a symbolic link stays a
// link: its final target is replaced, in the target's own folder; a link
// that leads nowhere or loops fails. Fails, leaving the destination alone,
// when it exists and is read-only (owner-write bit clear, even for root).
bool ReplaceFileWithCopy(const char* source, const char* destination);

// Removes the copies that killed replacements of destination (of its
// link's target) left behind; those of running replacements stay.
void RemoveLeftoverCopiesOf(const char* destination);
