#include "core/wiping_heap.h"

#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

// Blocks come from glibc's malloc, as the window's do; freed memory is read
// back where it stays mapped, and unmapped memory is asked of the kernel.
// AddressSanitizer does not own these blocks, so this runs under it too.

// gcc names AddressSanitizer one way, clang before 16 only the other.
#if defined(__SANITIZE_ADDRESS__)
#define QUILLBOX_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLBOX_UNDER_ASAN 1
#endif
#endif

extern "C" void* __libc_malloc(size_t size);
extern "C" void __libc_free(void* block);
extern "C" int __libc_mallopt(int option, int value);

namespace {

// Fixed, so that blocks this large are mapped unless the top of the heap
// can hold them.
constexpr size_t kMmapThreshold = 128 * 1024;
// Larger than this binary's heap ever grows: always mapped.
constexpr size_t kSurelyMapped = 64 * 1024 * 1024;
// Freed heap memory stays mapped, to be read back.
constexpr int kNoTrimming = 1 << 30;
constexpr std::string_view kSecret = "password-0123456";

class WipingHeap : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(__libc_mallopt(M_MMAP_THRESHOLD, kMmapThreshold), 1);
    ASSERT_EQ(__libc_mallopt(M_TRIM_THRESHOLD, kNoTrimming), 1);
  }
};

char* SecretBlock(size_t size) {
  auto* block = static_cast<char*>(__libc_malloc(size));
  std::memcpy(block, kSecret.data(), std::min(size, kSecret.size()));
  for (size_t done = kSecret.size(); done < size; done *= 2)
    std::memcpy(block + done, block, std::min(done, size - done));
  return block;
}

// Whether the first size bytes are still as SecretBlock made them.
bool HoldsSecret(const char* block, size_t size) {
  return std::memcmp(block, kSecret.data(), std::min(size, kSecret.size())) == 0 &&
         (size <= kSecret.size() || std::memcmp(block + kSecret.size(), block, size - kSecret.size()) == 0);
}

// Whether [from, to) of a block still shows any of the secret: its free-list
// links may be there, a run of the secret may not.
bool ShowsSecret(const char* block, size_t from, size_t to) {
  const std::string_view bytes(block + from, to - from);
  return bytes.find(kSecret.substr(0, 8)) != std::string_view::npos ||
         bytes.find(kSecret.substr(8, 8)) != std::string_view::npos;
}

bool IsPageMapped(const void* address) {
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  unsigned char resident;
  return mincore(reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(address) & ~(page - 1)), 1, &resident) == 0;
}

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// The block's size and kind as glibc keeps them, which the rest relies on.
TEST_F(WipingHeap, ReadsBlocksAsGlibcKeepsThem) {
  for (size_t size :
       {size_t{1}, size_t{24}, size_t{25}, size_t{1000}, size_t{100 * 1024}, size_t{3 * 1024 * 1024}, kSurelyMapped}) {
    SCOPED_TRACE(size);
    void* block = __libc_malloc(size);
    if (size < kMmapThreshold || size >= kSurelyMapped) {
      EXPECT_EQ(IsMappedBlock(block), size >= kSurelyMapped);
    }
    EXPECT_GE(BlockSize(block), size);
    EXPECT_LT(BlockSize(block), size + (IsMappedBlock(block) ? 4096 : 32));
#ifndef QUILLBOX_UNDER_ASAN
    // The sanitizer's malloc_usable_size knows only its own blocks.
    EXPECT_EQ(BlockSize(block), malloc_usable_size(block));
#endif
    __libc_free(block);
  }
}

TEST_F(WipingHeap, AFreedBlockLeavesNoSecretWhereItCanStillBeRead) {
  for (size_t size : {size_t{24}, size_t{100}, size_t{1500}, size_t{64 * 1024}, size_t{1024 * 1024}, kSurelyMapped}) {
    SCOPED_TRACE(size);
    char* block = SecretBlock(size);
    const size_t held = BlockSize(block);
    const bool mapped = IsMappedBlock(block);
    EXPECT_TRUE(mapped || size < kSurelyMapped);
    WipingFree(block);
    if (mapped) {
      EXPECT_FALSE(IsPageMapped(block));
      EXPECT_FALSE(IsPageMapped(block + size - 1));
    } else {
      EXPECT_FALSE(ShowsSecret(block, 0, held));
    }
  }
}

// A mapped block goes back unwiped: freeing it touches none of the pages
// the program never touched (before, each was faulted in to be wiped).
TEST_F(WipingHeap, FreeingALargeBlockTouchesNoneOfItsPages) {
  char* block = static_cast<char*>(__libc_malloc(256 * 1024 * 1024));
  ASSERT_NE(block, nullptr);
  block[12345] = 's';
  const long before = MinorFaults();
  WipingFree(block);
  EXPECT_LT(MinorFaults() - before, 8);
}

TEST_F(WipingHeap, AShrinkGivesBackWhatItFreesAndStaysInPlace) {
  struct Case {
    size_t size;
    size_t shrunk;
    bool givesBack;
  };
  const Case cases[] = {
      {96 * 1024, 1024, true},                // a heap block: the tail is split off
      {kSurelyMapped, 1024, true},            // a mapped one: the pages past its end are unmapped
      {64 * 1024, 60 * 1024, false},          // a small shrink keeps its room
      {4 * 1024 * 1024, 3900 * 1024, false},  // a larger one too
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    char* block = SecretBlock(c.size);
    const size_t held = BlockSize(block);
    const bool mapped = IsMappedBlock(block);
    EXPECT_TRUE(mapped || c.size < kSurelyMapped);
    char* shrunk = static_cast<char*>(WipingRealloc(block, c.shrunk));
    ASSERT_EQ(shrunk, block);
    EXPECT_TRUE(HoldsSecret(shrunk, c.shrunk));
    if (!c.givesBack) {
      EXPECT_EQ(BlockSize(shrunk), held);
    } else {
      EXPECT_LT(BlockSize(shrunk), 8 * 1024u);
      if (mapped) {
        EXPECT_FALSE(IsPageMapped(shrunk + 64 * 1024));
      } else {
        EXPECT_FALSE(ShowsSecret(shrunk, c.shrunk, held));
      }
    }
    WipingFree(shrunk);
  }
}

// A heap block that outgrows itself moves, and the old one is wiped; a
// mapped one is remapped, leaving nothing where it was.
TEST_F(WipingHeap, AMovedBlockLeavesNoSecretBehind) {
  for (size_t size : {size_t{200}, size_t{5000}, size_t{64 * 1024}, kSurelyMapped}) {
    SCOPED_TRACE(size);
    char* block = SecretBlock(size);
    const size_t held = BlockSize(block);
    const bool mapped = IsMappedBlock(block);
    EXPECT_EQ(mapped, size >= kSurelyMapped);
    char* grown = static_cast<char*>(WipingRealloc(block, 4 * size));
    ASSERT_NE(grown, nullptr);
    EXPECT_TRUE(HoldsSecret(grown, size));
    if (grown != block) {
      if (mapped) {
        EXPECT_FALSE(IsPageMapped(block + held - 1));
      } else {
        EXPECT_FALSE(ShowsSecret(block, 0, held));
      }
    }
    WipingFree(grown);
  }
}

// Growing a byte at a time: the bytes stay, and a heap block moves a few
// dozen times on its way past the mapping threshold, where it used to move
// at every 16 bytes.
TEST_F(WipingHeap, GrowingAByteAtATimeKeepsTheBytesAndRarelyMoves) {
  constexpr size_t kEnd = 512 * 1024;
  char* block = nullptr;
  size_t heapMoves = 0;
  for (size_t size = 1; size <= kEnd; ++size) {
    const bool wasHeap = block != nullptr && !IsMappedBlock(block);
    char* grown = static_cast<char*>(WipingRealloc(block, size));
    ASSERT_NE(grown, nullptr);
    if (wasHeap && grown != block) ++heapMoves;
    grown[size - 1] = static_cast<char>(size * 7);
    block = grown;
  }
  for (size_t at = 0; at < kEnd; ++at) ASSERT_EQ(block[at], static_cast<char>((at + 1) * 7)) << at;
  EXPECT_LT(heapMoves, 100u);
  WipingFree(block);
}

TEST_F(WipingHeap, NullAndZeroSizeAreAsGlibcHasThem) {
  WipingFree(nullptr);
  void* block = WipingRealloc(nullptr, 10);
  ASSERT_NE(block, nullptr);
  EXPECT_GE(BlockSize(block), 10u);
  EXPECT_EQ(WipingRealloc(block, 0), nullptr);
}

}  // namespace
