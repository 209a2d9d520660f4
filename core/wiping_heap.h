#pragma once

#include <cstddef>

// free and realloc on glibc's allocator for a process that wipes what it
// frees (the window's: app/gui/wipe_on_free.cpp), at the cost of what can
// still hold a secret and no more:
// - a block glibc mapped on its own goes back with munmap, and the kernel
//   zeroes the pages before anyone has them again: it is not wiped, so
//   freeing a large, mostly untouched block touches none of its pages;
// - any other block is wiped whole before glibc has it back;
// - a shrink by more than a quarter gives the tail back (wiped first) and
//   stays in place; a smaller one keeps the room for later growth;
// - growth within the block stays in place; a mapped block grows as glibc
//   grows it (mremap, which moves pages, never copies); any other block
//   moves to one with up to a quarter more room than asked, and the old one
//   is wiped, so growing a byte at a time moves it a few dozen times.
void WipingFree(void* block);
void* WipingRealloc(void* block, size_t size);

// Whether glibc mapped this block on its own, so that freeing unmaps it.
bool IsMappedBlock(const void* block);
// What the block can hold, as malloc_usable_size says, read where glibc
// keeps it: a sanitizer's own malloc_usable_size knows only its blocks.
size_t BlockSize(const void* block);
