#include "interchange/wiping_expat_memory.h"

#include <malloc.h>
#include <stdlib.h>
#include <string.h>

namespace {

void* WipingRealloc(void* old_block, size_t size) {
  if (old_block == nullptr) return malloc(size);
  void* block = malloc(size);
  if (block == nullptr) return nullptr;
  size_t old_size = malloc_usable_size(old_block);
  memcpy(block, old_block, old_size < size ? old_size : size);
  explicit_bzero(old_block, old_size);
  free(old_block);
  return block;
}

void WipingFree(void* block) {
  if (block == nullptr) return;
  explicit_bzero(block, malloc_usable_size(block));
  free(block);
}

}  // namespace

const XML_Memory_Handling_Suite kWipingExpatMemory = {malloc, WipingRealloc, WipingFree};
