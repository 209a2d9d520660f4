#include "core/cpptrarray.h"

#include <cstdlib>

#include "core/slotarray.h"

cpPtrArray::cpPtrArray(ReleaseFunction release) : release_(release) {}

cpPtrArray::~cpPtrArray() { Truncate(0); }

void* cpPtrArray::GetAt(uint32_t index) const { return index < count_ ? items_[index] : nullptr; }

bool cpPtrArray::Add(void* item) {
  if (count_ >= capacity_) {
    void* grown = GrowSlotArray(items_, count_, sizeof(void*), capacity_);
    if (grown == nullptr) return false;
    items_ = static_cast<void**>(grown);
  }
  items_[count_++] = item;
  return true;
}

void cpPtrArray::Truncate(uint32_t newCount) {
  while (count_ > newCount) {
    void* item = items_[--count_];
    if (release_ != nullptr && item != nullptr) release_(item);
  }
  if (newCount == 0) {
    free(items_);
    items_ = nullptr;
    capacity_ = 0;
  }
}
