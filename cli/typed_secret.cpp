#include "cli/typed_secret.h"

#include <string.h>

TypedSecret::TypedSecret(size_t max_length) : max_length_(max_length), buffer_(new char[max_length + 1]()) {}

TypedSecret::~TypedSecret() { Clear(); }

bool TypedSecret::Append(char c) {
  if (length_ >= max_length_) return false;
  buffer_[length_++] = c;
  buffer_[length_] = '\0';
  return true;
}

void TypedSecret::TrimLast() {
  if (length_ > 0) buffer_[--length_] = '\0';
}

void TypedSecret::Clear() {
  explicit_bzero(buffer_.get(), max_length_ + 1);
  length_ = 0;
}
