#include "app/new_password.h"

#include <algorithm>
#include <cstring>

#include "app/quillbox.h"
#include "app/quillbox_messages.h"

namespace {

// Byte for byte, with no early exit, so the time taken tells nothing about
// where two secrets differ.
bool SameText(const char* first, const char* second) {
  const size_t firstLength = std::strlen(first);
  const size_t secondLength = std::strlen(second);
  unsigned char difference = firstLength == secondLength ? 0 : 1;
  for (size_t i = 0; i < std::min(firstLength, secondLength); ++i) {
    difference |= static_cast<unsigned char>(first[i] ^ second[i]);
  }
  return difference == 0;
}

}  // namespace

const char* CheckNewPassword(const char* password, const char* confirmation) {
  if (password[0] == '\0') return kEmptyPasswordMessage;
  if (!SameText(password, confirmation)) return kPasswordMismatchMessage;
  // The edit fields count characters, the safe bytes.
  if (std::strlen(password) >= kPasswordCapacity) return kPasswordTooLongMessage;
  return nullptr;
}

const char* CheckNewFilePassword(const char* password, const char* confirmation, bool with_key_file) {
  if (password[0] == '\0' && !with_key_file) return kEmptyFilePasswordMessage;
  return SameText(password, confirmation) ? nullptr : kPasswordMismatchMessage;
}
