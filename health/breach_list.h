#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/secret_text.h"

// A Have I Been Pwned "Pwned Passwords" SHA-1 file as its downloader writes
// it: one "HASH:COUNT" line per hash, in ascending hash order. The file is
// searched where it lies (a binary search whose probes go where the evenly
// spread hashes put the digest), never read whole, so a file of hundreds of
// millions of lines costs a few page reads a look-up. Each probe reads its
// few bytes with pread rather than through a mapping: a file cut short by
// another program meanwhile is a short read and an error, not a SIGBUS.
class BreachList {
 public:
  BreachList() = default;
  ~BreachList();
  BreachList(const BreachList&) = delete;
  BreachList& operator=(const BreachList&) = delete;

  // Empty when the file opened and the lines sampled across it are well
  // formed and in order, else a sentence for the user naming the file.
  std::string Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }

  struct Lookup {
    uint64_t count = 0;  // 0: not in the list
    std::string error;   // a malformed or out-of-order line met on the way, or a file cut short
  };
  // The password's SHA-1 digest is wiped before this returns.
  Lookup Find(const SecretText& password) const;

 private:
  struct Line;
  enum class LineRead { kOk, kMalformed, kCutShort };
  // The line holding offset pos, starting no earlier than floor.
  LineRead ReadLineAround(size_t pos, size_t floor, Line* line) const;
  LineRead ReadLineAt(size_t start, Line* line) const;
  // False when the file no longer holds these bytes.
  bool ReadBytes(size_t start, size_t count, char* buffer) const;
  std::string CheckSampledLines() const;
  // The sentence for a line that could not be read at offset.
  std::string Failed(LineRead why, size_t offset) const;
  std::string Unsorted() const;
  void Close();

  std::string path_;
  int fd_ = -1;
  size_t size_ = 0;  // when it opened; a look-up never reads past it
};
