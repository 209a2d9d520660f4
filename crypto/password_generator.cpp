#include "crypto/password_generator.h"

#include <string.h>
#include <sys/random.h>

#include <cerrno>
#include <cmath>
#include <cstdint>

namespace {

struct CharacterClass {
  unsigned flag;
  char first;
  char last;
  bool symbols;  // the range minus letters and digits
};

constexpr CharacterClass kClasses[] = {
    {kPasswordLowerCase, 'a', 'z', false},
    {kPasswordUpperCase, 'A', 'Z', false},
    {kPasswordDigits, '0', '9', false},
    {kPasswordSymbols, '!', '~', true},
};

bool IsAlphanumeric(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool InClass(const CharacterClass& type, char c) {
  return c >= type.first && c <= type.last && (!type.symbols || !IsAlphanumeric(c));
}

bool ValidOptions(const PasswordOptions& options) {
  return options.length >= kGeneratedLengthMin && options.length <= kGeneratedLengthMax &&
         (options.classes & kPasswordAllClasses) != 0;
}

// Random bytes fetched from the kernel a block at a time; wiped when done.
class RandomPool {
 public:
  RandomPool() = default;
  RandomPool(const RandomPool&) = delete;
  RandomPool& operator=(const RandomPool&) = delete;
  ~RandomPool() { explicit_bzero(bytes_, sizeof bytes_); }

  bool Next(uint8_t* byte) {
    if (next_ == filled_ && !Refill()) return false;
    *byte = bytes_[next_];
    bytes_[next_++] = 0;
    return true;
  }

  // Uniform in [0, bound), bound at most 256: bytes at or above the largest
  // multiple of bound are drawn again, so no value is favoured.
  bool Below(unsigned bound, unsigned* value) {
    const unsigned limit = 256 - 256 % bound;
    uint8_t byte;
    do {
      if (!Next(&byte)) return false;
    } while (byte >= limit);
    *value = byte % bound;
    return true;
  }

 private:
  bool Refill() {
    size_t got = 0;
    while (got < sizeof bytes_) {
      const ssize_t n = getrandom(bytes_ + got, sizeof bytes_ - got, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      got += static_cast<size_t>(n);
    }
    next_ = 0;
    filled_ = sizeof bytes_;
    return true;
  }

  uint8_t bytes_[256] = {};
  size_t next_ = 0;
  size_t filled_ = 0;
};

bool HasEveryClass(const PasswordOptions& options, const char* password) {
  for (const CharacterClass& type : kClasses) {
    if ((options.classes & type.flag) == 0) continue;
    bool found = false;
    for (const char* c = password; *c != '\0' && !found; ++c) found = InClass(type, *c);
    if (!found) return false;
  }
  return true;
}

// Drawing whole passwords again until every class is present keeps each
// acceptable password equally likely. Even the least favourable options
// (length 8, all classes, look-alikes avoided) succeed about one time in
// three, so this bound is never reached while randomness flows.
constexpr int kMaxDraws = 1000;

}  // namespace

int PasswordAlphabet(const PasswordOptions& options, char alphabet[kPasswordAlphabetCapacity]) {
  int count = 0;
  for (char c = '!'; c <= '~'; ++c) {
    if (options.avoidLookAlikes && strchr(kLookAlikeCharacters, c) != nullptr) continue;
    for (const CharacterClass& type : kClasses) {
      if ((options.classes & type.flag) != 0 && InClass(type, c)) alphabet[count++] = c;
    }
  }
  alphabet[count] = '\0';
  return count;
}

double PasswordStrengthBits(const PasswordOptions& options) {
  char alphabet[kPasswordAlphabetCapacity];
  const int size = PasswordAlphabet(options, alphabet);
  if (!ValidOptions(options) || size == 0) return 0;
  return options.length * std::log2(static_cast<double>(size));
}

bool GeneratePassword(const PasswordOptions& options, char* out, size_t capacity) {
  if (out == nullptr || capacity == 0) return false;
  out[0] = '\0';
  if (!ValidOptions(options) || capacity <= static_cast<size_t>(options.length)) return false;
  char alphabet[kPasswordAlphabetCapacity];
  const unsigned size = static_cast<unsigned>(PasswordAlphabet(options, alphabet));
  RandomPool pool;
  for (int draw = 0; draw < kMaxDraws; ++draw) {
    for (int i = 0; i < options.length; ++i) {
      unsigned pick;
      if (!pool.Below(size, &pick)) {
        explicit_bzero(out, capacity);
        return false;
      }
      out[i] = alphabet[pick];
    }
    out[options.length] = '\0';
    if (HasEveryClass(options, out)) return true;
  }
  explicit_bzero(out, capacity);
  return false;
}
