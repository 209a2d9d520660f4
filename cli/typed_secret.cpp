#include "cli/typed_secret.h"

#include <string.h>

TypedSecret::TypedSecret() = default;

TypedSecret::~TypedSecret() { Clear(); }

bool TypedSecret::Append(char c) {
  if (length_ >= kMaxLength) return false;
  buffer_[length_++] = c;
  buffer_[length_] = '\0';
  return true;
}

void TypedSecret::TrimLast() {
  if (length_ > 0) buffer_[--length_] = '\0';
}

void TypedSecret::Clear() {
  explicit_bzero(buffer_, sizeof(buffer_));
  length_ = 0;
}
