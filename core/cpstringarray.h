#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/slotarray.h"

// An ordered list of heap strings that the array owns. Growth doubles the
// slots plus two (2, 6, 14, 30, ...); the slot storage never shrinks before
// destruction. Failed allocations give null/false and leave the list as it
// was.
class cpStringArray {
 public:
  // Growth to this many slots or more is refused.
  static constexpr uint32_t kMaxCapacity = kMaxSlotCapacity;

  cpStringArray();
  cpStringArray(const cpStringArray&) = delete;
  cpStringArray& operator=(const cpStringArray&) = delete;
  virtual ~cpStringArray();

  // Items are overwritten before release (removal, truncation, destruction);
  // for lists that hold passwords.
  void SetWipeOnRelease(bool wipe);

  uint32_t GetCount() const { return count_; }
  uint32_t GetCapacity() const { return capacity_; }
  // Null when index >= count.
  char* GetAt(uint32_t index) const;
  char* GetLast() const;

  // Each returns the stored copy, or null on failure.
  char* Add(const char* text);
  // Takes ownership of a heap string and returns it; null (caller keeps
  // ownership) for a null text or failed growth.
  char* AddOwned(char* text);
  // index must be <= count; a larger index gives null.
  char* InsertAt(uint32_t index, const char* text);
  bool InsertFront(const char* text);

  // Replaces the item and hands the previous one back to the caller; null
  // text or index >= count changes nothing and gives null.
  char* SetAt(uint32_t index, char* text);
  // Removes the item without releasing it and hands it back.
  char* Detach(uint32_t index);
  void RemoveAt(uint32_t index);
  // Releases items from the end until count <= newCount.
  void Truncate(uint32_t newCount);
  void RemoveAll();
  void Swap(cpStringArray& other);

  size_t TotalLength() const;
  // Calls function on every item in order; the last call's result, null for
  // an empty list.
  void* ForEach(const std::function<void*(char* item)>& function) const;
  void TrimLeftAll();
  void TrimRightAll();

  // Appends the pieces of text between separators: k separators give k + 1
  // pieces, empty ones included. Null text adds nothing and succeeds; an
  // empty separator fails. On failure the pieces added are removed again.
  bool Split(const char* text, const char* separator);
  // Splits at any line end ("\r\n", "\r", "\n"). Null text fails.
  bool SplitLines(const char* text);
  // A new heap string of the items with separator (null = "") between them.
  char* Join(const char* separator) const;
  // Writes the items joined by "\r\n" (no trailing NUL) with WriteBytesToFile.
  bool WriteToFile(const char* path, bool throughTemporary) const;

 private:
  bool Grow();
  void Release(char* item) const;

  char** items_ = nullptr;
  uint32_t capacity_ = 0;
  uint32_t count_ = 0;
  bool wipeOnRelease_ = false;
};
