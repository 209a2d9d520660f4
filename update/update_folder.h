#pragma once

#include <cstdint>

#include "core/cpbuffer.h"

// The private temporary folder as the update reaches it: opened and checked
// once, then every file in it is named relative to that one descriptor, so a
// folder put in its place later is never written or read.
class UpdateFolder {
 public:
  UpdateFolder();
  ~UpdateFolder();
  UpdateFolder(const UpdateFolder&) = delete;
  UpdateFolder& operator=(const UpdateFolder&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  // Replaces name with bytes: a new 0600 file beside it, fsync, rename. A
  // failure leaves no partial file.
  bool WriteFile(const char* name, const cpBuffer& bytes) const;
  // Opens name read-only without following a symlink or blocking on a FIFO;
  // -1 unless it is a regular file. The caller closes it.
  int OpenForReading(const char* name) const;
  // The whole of name; false when it cannot be read.
  bool ReadFile(const char* name, cpBuffer& out) const;

 private:
  int fd_;
};
