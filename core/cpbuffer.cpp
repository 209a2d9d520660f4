#include "core/cpbuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/filehelpers.h"
#include "core/whole_file.h"
#include "core/wiping_allocator.h"

static unsigned char gEmptyByte = 0;
static const unsigned char kEmptyByte = 0;

cpBuffer::cpBuffer() { SetSize(0); }

cpBuffer::~cpBuffer() { Release(); }

void cpBuffer::SetWipeOnRelease(bool wipe) { wipeOnRelease_ = wipe; }

unsigned char* cpBuffer::GetData() {
  if (data_ != nullptr) return data_;
  // Someone may have written through an earlier pointer to the shared byte.
  gEmptyByte = 0;
  return &gEmptyByte;
}

const unsigned char* cpBuffer::GetData() const { return data_ != nullptr ? data_ : &kEmptyByte; }

void cpBuffer::Release() {
  if (data_ != nullptr && wipeOnRelease_) explicit_bzero(data_, capacity_);
  free(data_);
  data_ = nullptr;
  capacity_ = 0;
  size_ = 0;
}

bool cpBuffer::SetSize(uint32_t size) {
  const uint64_t needed = static_cast<uint64_t>(size) + 1;
  if (capacity_ < needed) {
    Release();
    // The capacity is 32-bit, so the NUL after 0xFFFFFFFF bytes cannot fit.
    if (needed > UINT32_MAX) return false;
    data_ = static_cast<unsigned char*>(malloc(needed));
    if (data_ == nullptr) return false;
    capacity_ = static_cast<uint32_t>(needed);
  }
  size_ = size;
  data_[size] = 0;
  return true;
}

int cpBuffer::Compare(const cpBuffer& a, const cpBuffer& b) {
  if (&a == &b) return 0;
  if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
  const int order = memcmp(a.GetData(), b.GetData(), a.size_);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool cpBuffer::Equals(const cpBuffer& other) const { return Compare(*this, other) == 0; }

bool cpBuffer::LoadFromFile(const char* path) {
  // Wiped when let go of, in case this buffer wipes too.
  WipingBytes bytes;
  if (!ReadWholeFile(path, {.maxBytes = kMaxWholeFileSize}, &bytes) || !SetSize(static_cast<uint32_t>(bytes.size()))) {
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), data_);
  return true;
}

bool cpBuffer::SaveToFile(const char* path, bool throughTemporary) const {
  return WriteBytesToFile(path, GetData(), size_, throughTemporary);
}
