#pragma once

#include <cstdint>

#include "core/slotarray.h"

// An ordered array of pointers. Items are released through the release
// function given at construction; null means the array does not own them.
// Growth follows cpStringArray: 2 x count + 2 slots, refused at 0x40000000.
class cpPtrArray {
 public:
  using ReleaseFunction = void (*)(void* item);
  static constexpr uint32_t kMaxCapacity = kMaxSlotCapacity;

  explicit cpPtrArray(ReleaseFunction release = nullptr);
  cpPtrArray(const cpPtrArray&) = delete;
  cpPtrArray& operator=(const cpPtrArray&) = delete;
  virtual ~cpPtrArray();

  uint32_t GetCount() const { return count_; }
  uint32_t GetCapacity() const { return capacity_; }
  // Null when index >= count.
  void* GetAt(uint32_t index) const;
  // False when the slots cannot grow; the item is then not owned.
  bool Add(void* item);
  // Releases items from the last down until count <= newCount; truncating
  // to 0 also frees the slot array.
  void Truncate(uint32_t newCount);

 private:
  uint32_t count_ = 0;
  void** items_ = nullptr;
  uint32_t capacity_ = 0;
  ReleaseFunction release_;
};
