#include "core/cpstringarray.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/filehelpers.h"
#include "core/heapstring.h"
#include "core/slotarray.h"

cpStringArray::cpStringArray() = default;

cpStringArray::~cpStringArray() {
  RemoveAll();
  free(items_);
}

void cpStringArray::SetWipeOnRelease(bool wipe) { wipeOnRelease_ = wipe; }

void cpStringArray::Release(char* item) const {
  if (wipeOnRelease_)
    WipeAndFree(item);
  else
    FreeString(item);
}

bool cpStringArray::Grow() {
  void* grown = GrowSlotArray(items_, count_, sizeof(char*), capacity_);
  if (grown == nullptr) return false;
  items_ = static_cast<char**>(grown);
  return true;
}

char* cpStringArray::GetAt(uint32_t index) const { return index < count_ ? items_[index] : nullptr; }

char* cpStringArray::GetLast() const { return count_ > 0 ? items_[count_ - 1] : nullptr; }

char* cpStringArray::Add(const char* text) { return InsertAt(count_, text); }

char* cpStringArray::AddOwned(char* text) {
  if (text == nullptr) return nullptr;
  if (count_ >= capacity_ && !Grow()) return nullptr;
  items_[count_++] = text;
  return text;
}

char* cpStringArray::InsertAt(uint32_t index, const char* text) {
  if (text == nullptr || index > count_) return nullptr;
  if (count_ >= capacity_ && !Grow()) return nullptr;
  char* copy = DupBytes(text, strlen(text));
  if (copy == nullptr) return nullptr;
  memmove(items_ + index + 1, items_ + index, (count_ - index) * sizeof(char*));
  items_[index] = copy;
  ++count_;
  return copy;
}

bool cpStringArray::InsertFront(const char* text) { return InsertAt(0, text) != nullptr; }

char* cpStringArray::SetAt(uint32_t index, char* text) {
  if (text == nullptr || index >= count_) return nullptr;
  return std::exchange(items_[index], text);
}

char* cpStringArray::Detach(uint32_t index) {
  if (index >= count_) return nullptr;
  char* item = items_[index];
  --count_;
  memmove(items_ + index, items_ + index + 1, (count_ - index) * sizeof(char*));
  return item;
}

void cpStringArray::RemoveAt(uint32_t index) { Release(Detach(index)); }

void cpStringArray::Truncate(uint32_t newCount) {
  while (count_ > newCount) Release(items_[--count_]);
}

void cpStringArray::RemoveAll() { Truncate(0); }

void cpStringArray::Swap(cpStringArray& other) {
  std::swap(items_, other.items_);
  std::swap(capacity_, other.capacity_);
  std::swap(count_, other.count_);
  std::swap(wipeOnRelease_, other.wipeOnRelease_);
}

size_t cpStringArray::TotalLength() const {
  size_t total = 0;
  for (uint32_t i = 0; i < count_; ++i) total += strlen(items_[i]);
  return total;
}

void* cpStringArray::ForEach(const std::function<void*(char* item)>& function) const {
  void* result = nullptr;
  for (uint32_t i = 0; i < count_; ++i) result = function(items_[i]);
  return result;
}

void cpStringArray::TrimLeftAll() {
  for (uint32_t i = 0; i < count_; ++i) TrimLeft(items_[i]);
}

void cpStringArray::TrimRightAll() {
  for (uint32_t i = 0; i < count_; ++i) TrimRight(items_[i]);
}

bool cpStringArray::Split(const char* text, const char* separator) {
  const uint32_t countBefore = count_;
  if (text == nullptr) return true;
  if (separator == nullptr || *separator == '\0') return false;
  const size_t separatorLength = strlen(separator);
  const char* piece = text;
  for (;;) {
    const char* hit = strstr(piece, separator);
    const size_t length = hit != nullptr ? static_cast<size_t>(hit - piece) : strlen(piece);
    char* copy = DupBytes(piece, length);
    if (copy == nullptr || AddOwned(copy) == nullptr) {
      Release(copy);
      Truncate(countBefore);
      return false;
    }
    if (hit == nullptr) return true;
    piece = hit + separatorLength;
  }
}

bool cpStringArray::SplitLines(const char* text) {
  if (text == nullptr) return false;
  char* copy = DupBytes(text, strlen(text));
  if (copy == nullptr) return false;
  const bool split = NormalizeLineEnds(&copy, "\n") && Split(copy, "\n");
  // The text may be a safe's plaintext.
  WipeAndFree(copy);
  return split;
}

char* cpStringArray::Join(const char* separator) const {
  if (separator == nullptr) separator = "";
  if (count_ == 0) return DupBytes("", 0);
  const size_t separatorLength = strlen(separator);
  char* joined = static_cast<char*>(malloc(TotalLength() + separatorLength * (count_ - 1) + 1));
  if (joined == nullptr) return nullptr;
  char* write = joined;
  for (uint32_t i = 0; i < count_; ++i) {
    if (i > 0) {
      memcpy(write, separator, separatorLength);
      write += separatorLength;
    }
    const size_t length = strlen(items_[i]);
    memcpy(write, items_[i], length);
    write += length;
  }
  *write = '\0';
  return joined;
}

bool cpStringArray::WriteToFile(const char* path, bool throughTemporary) const {
  char* joined = Join("\r\n");
  if (joined == nullptr) return false;
  const bool written = WriteBytesToFile(path, joined, strlen(joined), throughTemporary);
  Release(joined);
  return written;
}
