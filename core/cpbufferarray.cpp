#include "core/cpbufferarray.h"

#include <cstdlib>
#include <cstring>

static void ReleaseRecord(void* item) {
  auto* record = static_cast<cpBufferRecord*>(item);
  free(record->data);
  free(record);
}

cpBufferArray::cpBufferArray() : cpPtrArray(ReleaseRecord) {}

const cpBufferRecord* cpBufferArray::GetRecord(uint32_t index) const {
  return static_cast<const cpBufferRecord*>(GetAt(index));
}

bool cpBufferArray::AddOwned(unsigned char* block, uint32_t size) {
  auto* record = static_cast<cpBufferRecord*>(malloc(sizeof(cpBufferRecord)));
  if (record == nullptr) return false;
  record->data = block;
  record->size = size;
  if (Add(record)) return true;
  free(record);
  return false;
}

bool cpBufferArray::AddCopy(const void* data, uint32_t size) {
  if (data == nullptr && size > 0) return false;
  auto* block = static_cast<unsigned char*>(malloc(size > 0 ? size : 1));
  if (block == nullptr) return false;
  if (size > 0) memcpy(block, data, size);
  if (AddOwned(block, size)) return true;
  free(block);
  return false;
}

bool cpBufferArray::Concatenate(cpBuffer& target) const {
  uint64_t total = 0;
  for (uint32_t i = 0; i < GetCount(); ++i) total += GetRecord(i)->size;
  // A sum past 32 bits would size the target too small for the copies.
  if (total > UINT32_MAX) {
    target.Release();
    return false;
  }
  if (!target.SetSize(static_cast<uint32_t>(total))) return false;
  unsigned char* write = target.GetData();
  for (uint32_t i = 0; i < GetCount(); ++i) {
    const cpBufferRecord* record = GetRecord(i);
    memcpy(write, record->data, record->size);
    write += record->size;
  }
  return true;
}
