// The window's process wipes every heap block it frees. Qt copies what it
// shows (a revealed password in a cell, a field's text, a clipboard offer)
// into strings of its own and frees them without wiping; this leaves none of
// those copies in freed memory, where a later scan or a core could find them.
// Linked into the quillbox executable only: tests keep their own allocators.
// AddressSanitizer owns malloc and free in its builds, and keeps freed
// blocks out of use on its own; glibc's free must not see its blocks.
#include <errno.h>

#include <cstddef>

#include "core/wiping_heap.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLBOX_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUILLBOX_ASAN 1
#endif

#ifndef QUILLBOX_ASAN
extern "C" {

void free(void* block) noexcept { WipingFree(block); }

void* realloc(void* block, size_t size) noexcept { return WipingRealloc(block, size); }

// glibc's own reallocarray would move a block without this file's realloc.
void* reallocarray(void* block, size_t count, size_t size) noexcept {
  size_t total;
  if (__builtin_mul_overflow(count, size, &total)) {
    errno = ENOMEM;
    return nullptr;
  }
  return WipingRealloc(block, total);
}

}  // extern "C"
#endif
