// The window's process wipes every heap block it frees. Qt copies what it
// shows (a revealed password in a cell, a field's text, a clipboard offer)
// into strings of its own and frees them without wiping; this leaves none of
// those copies in freed memory, where a later scan or a core could find them.
// Linked into the quillbox executable only: tests and sanitizer builds keep
// their own allocators.
#include <malloc.h>
#include <string.h>

#include <cstddef>

extern "C" {

void* __libc_malloc(size_t size);
void __libc_free(void* block);

void free(void* block) {
  if (block != nullptr) explicit_bzero(block, malloc_usable_size(block));
  __libc_free(block);
}

// Moved blocks are wiped as freed ones; a shrink stays in place.
void* realloc(void* block, size_t size) {
  if (block == nullptr) return __libc_malloc(size);
  if (size == 0) {
    free(block);
    return nullptr;
  }
  size_t held = malloc_usable_size(block);
  if (size <= held) return block;
  void* moved = __libc_malloc(size);
  if (moved == nullptr) return nullptr;
  memcpy(moved, block, held);
  free(block);
  return moved;
}

}  // extern "C"
