#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// A secret read from the user: a buffer of a fixed capacity, allocated once
// (so it is never reallocated and copied behind our back) and wiped when the
// object dies.
class TypedSecret {
 public:
  // Longest text accepted by default, as in the dialogs' password fields.
  static constexpr size_t kMaxLength = 259;

  explicit TypedSecret(size_t max_length = kMaxLength);
  ~TypedSecret();
  TypedSecret(const TypedSecret&) = delete;
  TypedSecret& operator=(const TypedSecret&) = delete;

  // False (and nothing stored) once max_length() characters are held.
  bool Append(char c);
  // Drops the last character (a line's trailing CR).
  void TrimLast();
  // Wipes the whole buffer and empties the text.
  void Clear();

  const char* c_str() const { return buffer_.get(); }
  std::string_view view() const { return {buffer_.get(), length_}; }
  size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }
  size_t max_length() const { return max_length_; }

 private:
  size_t max_length_;
  std::unique_ptr<char[]> buffer_;
  size_t length_ = 0;
};
