#pragma once

#include <cstdint>
#include <span>

// The key stream a KDBX file's protected values are XORed with, one value
// after another in the order they stand in its XML.
class ProtectedValueStream {
 public:
  virtual void Apply(std::span<uint8_t> bytes) = 0;

 protected:
  ~ProtectedValueStream() = default;
};
