#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/byte_order.h"
#include "core/wiping_allocator.h"

// A cursor over a KDBX file's little-endian fields; every read says
// whether the bytes were there, so a length never runs past the end.
class KdbxByteReader {
 public:
  explicit KdbxByteReader(std::string_view bytes) : bytes_(bytes) {}

  size_t offset() const { return offset_; }
  size_t left() const { return bytes_.size() - offset_; }

  bool Take(size_t count, std::string_view* out) {
    if (count > left()) return false;
    *out = bytes_.substr(offset_, count);
    offset_ += count;
    return true;
  }
  bool U8(uint8_t* value) { return Little(value); }
  bool U16(uint16_t* value) { return Little(value); }
  bool U32(uint32_t* value) { return Little(value); }
  bool U64(uint64_t* value) { return Little(value); }

 private:
  template <typename T>
  bool Little(T* value) {
    if (sizeof(T) > left()) return false;
    *value = LoadLe<T>(bytes_.data() + offset_);
    offset_ += sizeof(T);
    return true;
  }

  std::string_view bytes_;
  size_t offset_ = 0;
};

inline std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

inline std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}
