#pragma once

#include <cstddef>
#include <cstdint>

// The growth rule shared by the library's arrays: 2 x count + 2 slots.
inline constexpr uint32_t kMaxSlotCapacity = 0x40000000;

// A new slot array of 2 x count + 2 slots holding the first count slots of
// the old one, which is released; capacity is updated. Null, with nothing
// changed, when the new capacity would reach kMaxSlotCapacity or the
// allocation fails.
void* GrowSlotArray(void* slots, uint32_t count, size_t slotSize, uint32_t& capacity);
