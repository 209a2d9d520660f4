#include "core/secret_text.h"

#include <string.h>

#include <algorithm>
#include <utility>

SecretText::SecretText(SecretText&& other) noexcept : text_(std::move(other.text_)) { other.Wipe(); }

SecretText& SecretText::operator=(const SecretText& other) {
  if (this != &other) *this = other.view();
  return *this;
}

SecretText& SecretText::operator=(SecretText&& other) noexcept {
  if (this != &other) {
    Wipe();
    text_.swap(other.text_);
    other.Wipe();
  }
  return *this;
}

SecretText& SecretText::operator=(std::string_view text) {
  // An empty text has nothing left to wipe: every way to empty one wipes it.
  if (!text_.empty()) Wipe();
  text_.assign(text);
  return *this;
}

void SecretText::Append(std::string_view more) {
  if (text_.size() + more.size() > text_.capacity()) {
    WipingString grown;
    grown.reserve(std::max(text_.size() + more.size(), 2 * text_.capacity()));
    grown.assign(text_);
    Wipe();
    text_.swap(grown);
  }
  text_.append(more);
}

void SecretText::Wipe() {
  // capacity() covers the in-object buffer of a short text as well.
  explicit_bzero(text_.data(), text_.capacity() + 1);
  text_.clear();
}
