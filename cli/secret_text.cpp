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
