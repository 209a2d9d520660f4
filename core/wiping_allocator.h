#pragma once

#include <string.h>

#include <cstddef>
#include <new>
#include <cstdint>
#include <string>
#include <vector>

// An allocator that wipes every block before it is freed, for containers a
// library fills with secrets where we cannot wipe them ourselves.
template <typename T>
struct WipingAllocator {
  using value_type = T;
  WipingAllocator() = default;
  template <typename U>
  WipingAllocator(const WipingAllocator<U>&) {}
  T* allocate(size_t count) { return static_cast<T*>(::operator new(count * sizeof(T))); }
  void deallocate(T* block, size_t count) {
    explicit_bzero(block, count * sizeof(T));
    ::operator delete(block);
  }
  template <typename U>
  bool operator==(const WipingAllocator<U>&) const {
    return true;
  }
};

using WipingString = std::basic_string<char, std::char_traits<char>, WipingAllocator<char>>;

// Bytes that may hold secrets, wiped when freed.
using WipingBytes = std::vector<uint8_t, WipingAllocator<uint8_t>>;
