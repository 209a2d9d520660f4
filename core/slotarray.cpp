#include "core/slotarray.h"

#include <cstdlib>
#include <cstring>

void* GrowSlotArray(void* slots, uint32_t count, size_t slotSize, uint32_t& capacity) {
  const uint64_t wanted = 2 * static_cast<uint64_t>(count) + 2;
  if (wanted >= kMaxSlotCapacity) return nullptr;
  void* grown = malloc(wanted * slotSize);
  if (grown == nullptr) return nullptr;
  if (count > 0) memcpy(grown, slots, count * slotSize);
  free(slots);
  capacity = static_cast<uint32_t>(wanted);
  return grown;
}
