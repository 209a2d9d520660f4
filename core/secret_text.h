#pragma once

#include <compare>
#include <cstddef>
#include <string_view>

#include "core/wiping_allocator.h"

// A text that may hold a secret. Its bytes are wiped when it is freed,
// reassigned or moved from, wherever they lived (a short text sits inside
// the object, where no allocator sees it).
class SecretText {
 public:
  SecretText() = default;
  explicit SecretText(std::string_view text) : text_(text) {}
  SecretText(const SecretText& other) : text_(other.text_) {}
  SecretText(SecretText&& other) noexcept;
  SecretText& operator=(const SecretText& other);
  SecretText& operator=(SecretText&& other) noexcept;
  SecretText& operator=(std::string_view text);
  ~SecretText() { Wipe(); }

  std::string_view view() const { return text_; }
  const char* c_str() const { return text_.c_str(); }
  size_t size() const { return text_.size(); }
  bool empty() const { return text_.empty(); }

  // Growth moves the text to a larger buffer and wipes the one it leaves.
  void Append(std::string_view more);
  void Wipe();

  bool operator==(const SecretText& other) const { return text_ == other.text_; }
  bool operator==(std::string_view other) const { return view() == other; }
  std::strong_ordering operator<=>(const SecretText& other) const { return view() <=> other.view(); }

 private:
  WipingString text_;
};
