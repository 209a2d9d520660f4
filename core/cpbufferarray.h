#pragma once

#include <cstdint>

#include "core/cpbuffer.h"
#include "core/cpptrarray.h"

// One owned block of a cpBufferArray.
struct cpBufferRecord {
  unsigned char* data;
  uint32_t size;
};

// Owned byte blocks in order, e.g. the chunks of a download, joined at the
// end into one cpBuffer.
class cpBufferArray : public cpPtrArray {
 public:
  cpBufferArray();

  const cpBufferRecord* GetRecord(uint32_t index) const;
  // Takes ownership of a malloc'd block; on failure nothing is added and
  // the caller keeps the block.
  bool AddOwned(unsigned char* block, uint32_t size);
  // Appends a copy (a block of at least one byte, also for size 0).
  bool AddCopy(const void* data, uint32_t size);
  // Sizes target to the sum of the blocks and copies them back to back.
  // On failure target is left empty (its old contents are gone).
  bool Concatenate(cpBuffer& target) const;
};
