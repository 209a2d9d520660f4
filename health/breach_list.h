#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/secret_text.h"

// A Have I Been Pwned "Pwned Passwords" SHA-1 file as its downloader writes
// it: one "HASH:COUNT" line per hash, in ascending hash order. The file is
// searched where it lies (a memory-mapped binary search whose probes go where
// the evenly spread hashes put the digest), never read whole, so a file of
// hundreds of millions of lines costs a few page reads a look-up.
class BreachList {
 public:
  BreachList() = default;
  ~BreachList();
  BreachList(const BreachList&) = delete;
  BreachList& operator=(const BreachList&) = delete;

  // Empty when the file opened and the lines sampled across it are well
  // formed and in order, else a sentence for the user naming the file.
  std::string Open(const std::string& path);
  bool IsOpen() const { return data_ != nullptr; }

  struct Lookup {
    uint64_t count = 0;  // 0: not in the list
    std::string error;   // a malformed or out-of-order line met on the way
  };
  // The password's SHA-1 digest is wiped before this returns.
  Lookup Find(const SecretText& password) const;

 private:
  struct Line;
  // The line holding offset pos, starting no earlier than floor.
  bool ReadLineAround(size_t pos, size_t floor, Line* line) const;
  bool ReadLineAt(size_t start, Line* line) const;
  std::string CheckSampledLines() const;
  std::string Malformed(size_t offset) const;
  std::string Unsorted() const;
  void Close();

  std::string path_;
  const char* data_ = nullptr;
  size_t size_ = 0;
};
