#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/wiping_allocator.h"

// The SSH wire encoding (RFC 4251 section 5) that key files and the agent
// protocol share: big-endian uint32, length-prefixed strings, mpints.
class WireReader {
 public:
  explicit WireReader(std::span<const uint8_t> bytes) : rest_(bytes) {}

  // Each is false, taking nothing, when the bytes left are too few.
  bool ReadByte(uint8_t* value);
  bool ReadU32(uint32_t* value);
  bool ReadString(std::span<const uint8_t>* value);
  bool ReadString(std::string_view* value);
  bool ReadBytes(size_t count, std::span<const uint8_t>* value);

  std::span<const uint8_t> Rest() const { return rest_; }
  bool AtEnd() const { return rest_.empty(); }

 private:
  std::span<const uint8_t> rest_;
};

void PutByte(WipingBytes& out, uint8_t value);
void PutU32(WipingBytes& out, uint32_t value);
void PutString(WipingBytes& out, std::span<const uint8_t> value);
void PutString(WipingBytes& out, std::string_view value);
// An unsigned big-endian number as an mpint: leading zeros dropped, one
// zero byte added when the top bit is set.
void PutMpint(WipingBytes& out, std::span<const uint8_t> magnitude);

inline std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}
