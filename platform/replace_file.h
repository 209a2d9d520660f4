#pragma once

// Copies source over destination (the CopyFile-with-overwrite equivalent),
// atomically: a reader, or a crash, sees the old destination or the new one,
// never a half-written file. Fails, leaving the destination alone, when the
// destination exists and is read-only (owner-write bit clear, even for root).
bool ReplaceFileWithCopy(const char* source, const char* destination);
