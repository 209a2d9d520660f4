#pragma once

#include <cstddef>
#include <cstdint>

// Descriptor-level file I/O that retries after EINTR and short transfers.

// Opens a regular file read-only (never blocking on a FIFO) and gives its
// size; -1 for anything else or on failure.
int OpenRegularFileForReading(const char* path, uint64_t& size);
// Reads exactly length bytes; false on an error or an early end of file.
bool ReadFully(int fd, void* data, size_t length);
bool WriteFully(int fd, const void* data, size_t length);
// close() whose error counts: data may be lost when it fails.
bool CloseChecked(int fd);
