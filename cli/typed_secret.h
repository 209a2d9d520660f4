#pragma once

#include <cstddef>

// A password read from the user: a fixed buffer (so it is never reallocated
// and copied behind our back) that is wiped when the object dies.
class TypedSecret {
 public:
  // Longest text accepted, as in the dialogs' password fields.
  static constexpr size_t kMaxLength = 259;

  TypedSecret();
  ~TypedSecret();
  TypedSecret(const TypedSecret&) = delete;
  TypedSecret& operator=(const TypedSecret&) = delete;

  // False (and nothing stored) once kMaxLength characters are held.
  bool Append(char c);
  // Drops the last character (a line's trailing CR).
  void TrimLast();
  // Wipes the whole buffer and empties the text.
  void Clear();

  const char* c_str() const { return buffer_; }
  size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }

 private:
  char buffer_[kMaxLength + 1] = {};
  size_t length_ = 0;
};
