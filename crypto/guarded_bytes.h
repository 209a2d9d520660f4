#pragma once

#include <cstddef>
#include <cstdint>

// A few secret bytes in libsodium's guarded memory (sodium_malloc): locked
// out of swap, fenced by guard pages, and wiped when released. Meant for
// keys and passwords held for a long time, not bulk data.
class GuardedBytes {
 public:
  GuardedBytes() = default;
  ~GuardedBytes();
  GuardedBytes(GuardedBytes&& other) noexcept;
  GuardedBytes& operator=(GuardedBytes&& other) noexcept;
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  // Replaces what was held with size fresh bytes; false when out of memory.
  bool Allocate(size_t size);
  void Release();

  uint8_t* Data() { return data_; }
  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }
  bool IsEmpty() const { return data_ == nullptr; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};
