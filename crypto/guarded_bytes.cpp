#include "crypto/guarded_bytes.h"

#include <sodium.h>

#include <utility>

#include "crypto/sodium_init.h"

GuardedBytes::~GuardedBytes() { Release(); }

GuardedBytes::GuardedBytes(GuardedBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

GuardedBytes& GuardedBytes::operator=(GuardedBytes&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

bool GuardedBytes::Allocate(size_t size) {
  Release();
  if (!InitSodium()) return false;
  data_ = static_cast<uint8_t*>(sodium_malloc(size));
  if (data_ == nullptr) return false;
  size_ = size;
  return true;
}

void GuardedBytes::Release() {
  // sodium_free wipes the bytes before it unmaps them.
  sodium_free(data_);
  data_ = nullptr;
  size_ = 0;
}
