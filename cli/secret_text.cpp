#include "cli/secret_text.h"

#include <string.h>

SecretText::SecretText() = default;

SecretText::~SecretText() { Clear(); }

bool SecretText::Append(char c) {
  if (length_ >= kMaxLength) return false;
  buffer_[length_++] = c;
  buffer_[length_] = '\0';
  return true;
}

void SecretText::TrimLast() {
  if (length_ > 0) buffer_[--length_] = '\0';
}

void SecretText::Clear() {
  explicit_bzero(buffer_, sizeof(buffer_));
  length_ = 0;
}

bool SecretText::Equals(const SecretText& other) const {
  // Constant-time over the buffer so a comparison leaks no prefix length.
  unsigned char difference = length_ == other.length_ ? 0 : 1;
  for (size_t i = 0; i < sizeof(buffer_); ++i) {
    difference |= static_cast<unsigned char>(buffer_[i] ^ other.buffer_[i]);
  }
  return difference == 0;
}
