#include "core/wiping_heap.h"

#include <string.h>

#include <algorithm>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);
}

namespace {

// glibc keeps a chunk's size in the word before the block, its low three
// bits flags; this one marks a chunk mmapped on its own, which free unmaps.
constexpr size_t kChunkFlags = 0x7;
constexpr size_t kChunkIsMmapped = 0x2;

size_t ChunkHeader(const void* block) {
  size_t header;
  memcpy(&header, static_cast<const char*>(block) - sizeof header, sizeof header);
  return header;
}

// Room for growth in proportion to what the block held, so that a block
// grown from small to large in one step is not made larger still.
size_t WithRoom(size_t size, size_t held) {
  const size_t room = std::min(size / 4, held);
  return size + room < size ? size : size + room;
}

}  // namespace

bool IsMappedBlock(const void* block) { return (ChunkHeader(block) & kChunkIsMmapped) != 0; }

// A mapped chunk spends two words of its size on its header, any other
// one word: the next chunk's first word is this one's last.
size_t BlockSize(const void* block) {
  const size_t header = ChunkHeader(block);
  return (header & ~kChunkFlags) - ((header & kChunkIsMmapped) != 0 ? 2 : 1) * sizeof header;
}

void WipingFree(void* block) {
  if (block == nullptr) return;
  if (!IsMappedBlock(block)) explicit_bzero(block, BlockSize(block));
  __libc_free(block);
}

void* WipingRealloc(void* block, size_t size) {
  if (block == nullptr) return __libc_malloc(size);
  if (size == 0) {
    WipingFree(block);
    return nullptr;
  }
  const size_t held = BlockSize(block);
  if (size <= held) {
    if (held - size <= held / 4) return block;
    // glibc shrinks in place: it splits the tail off a heap block and
    // unmaps the whole pages past a mapped one's end.
    if (!IsMappedBlock(block)) explicit_bzero(static_cast<char*>(block) + size, held - size);
    return __libc_realloc(block, size);
  }
  // Remapped or copied and unmapped: no copy stays behind either way.
  if (IsMappedBlock(block)) return __libc_realloc(block, size);
  void* moved = __libc_malloc(WithRoom(size, held));
  if (moved == nullptr) moved = __libc_malloc(size);
  if (moved == nullptr) return nullptr;
  memcpy(moved, block, held);
  WipingFree(block);
  return moved;
}
