#include "crypto/safe_key.h"

#include <cstddef>

namespace {

// Draws password bytes in an endless cycle; an empty password yields 0 forever.
class PasswordCursor {
 public:
  explicit PasswordCursor(const char* password) : first_(reinterpret_cast<const uint8_t*>(password)), at_(first_) {}

  uint8_t Draw() {
    const uint8_t c = *at_;
    if (c != 0) {
      ++at_;
      if (*at_ == 0) at_ = first_;
    }
    return c;
  }

 private:
  const uint8_t* first_;
  const uint8_t* at_;
};

class KeyPosition {
 public:
  explicit KeyPosition(uint8_t* key) : key_(key) {}

  void Mix(uint8_t value) {
    key_[position_] ^= value;
    Advance(1);
  }

  void Advance(int steps) { position_ = (position_ + steps) % kSafeKeySize; }

 private:
  uint8_t* key_;
  int position_ = 0;
};

uint8_t ShiftLeft(uint8_t c, int bits) { return static_cast<uint8_t>(c << bits); }

size_t PasswordLength(const char* password) {
  size_t length = 0;
  while (password[length] != '\0') ++length;
  return length;
}

}  // namespace

// Works in the caller's buffer, so no copy of the key is left behind to wipe.
void DeriveSafeKey(const char* password, uint8_t key[16]) {
  static const char kEmpty[] = "";
  if (password == nullptr) password = kEmpty;
  const size_t rounds = PasswordLength(password) + kSafeKeySize;
  PasswordCursor cursor(password);
  KeyPosition position(key);

  for (int i = 0; i < kSafeKeySize; ++i) key[i] = static_cast<uint8_t>(i + 1);
  for (int i = 0; i < kSafeKeySize; ++i) position.Mix(cursor.Draw());
  position.Advance(5);
  for (int i = 0; i < kSafeKeySize; ++i) position.Mix(ShiftLeft(cursor.Draw(), 5));
  position.Advance(13);
  for (size_t i = 0; i < rounds; ++i) position.Mix(static_cast<uint8_t>(cursor.Draw() >> ((i % 4) + 1)));
  position.Advance(7);
  for (size_t j = 0; j < rounds; ++j) position.Mix(ShiftLeft(cursor.Draw(), static_cast<int>(j % 4) + 1));
  for (int i = 0; i < kSafeKeySize; ++i) key[i] &= 0xAA;
}
