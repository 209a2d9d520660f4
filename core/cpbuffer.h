#pragma once

#include <cstdint>

// A byte buffer that always keeps a NUL after its contents once allocated,
// so the contents can be read as text as well.
class cpBuffer {
 public:
  // Empty, with a one-byte block holding NUL.
  cpBuffer();
  cpBuffer(const cpBuffer&) = delete;
  cpBuffer& operator=(const cpBuffer&) = delete;
  virtual ~cpBuffer();

  // The block's bytes are overwritten before it is released; for buffers
  // that hold secrets.
  void SetWipeOnRelease(bool wipe);

  // Never null: without a block, a shared byte holding 0.
  unsigned char* GetData();
  const unsigned char* GetData() const;
  uint32_t GetSize() const { return size_; }
  uint32_t GetCapacity() const { return capacity_; }

  // A sizing step, not a resize that keeps data: a block that is large
  // enough is reused as it is (its leading bytes stay), a larger size gets
  // a fresh block whose contents are undefined. Writes the NUL at [size].
  // On failure the buffer is left empty with no block.
  bool SetSize(uint32_t size);
  // Releases the block: no data, capacity 0, size 0.
  void Release();

  // The shorter buffer is smaller; equal sizes compare bytes as unsigned.
  static int Compare(const cpBuffer& a, const cpBuffer& b);
  bool Equals(const cpBuffer& other) const;

  bool LoadFromFile(const char* path);
  bool SaveToFile(const char* path, bool throughTemporary) const;

 private:
  unsigned char* data_ = nullptr;
  uint32_t capacity_ = 0;
  uint32_t size_ = 0;
  bool wipeOnRelease_ = false;
};
