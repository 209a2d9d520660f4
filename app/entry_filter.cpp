#include "app/entry_filter.h"

#include <locale.h>
#include <string.h>
#include <wctype.h>

#include <array>
#include <cstdint>

#include "core/legacy_text.h"

namespace {

// Fields longer than this are cut when the safe is loaded.
constexpr size_t kFieldLimit = 259;
// Folding turns a character of n UTF-8 bytes into at most 3n/2 bytes.
constexpr size_t kFoldedCapacity = kFieldLimit * 2;

locale_t UnicodeLocale() {
  // The process's own locale may be "C"; folding must not depend on it.
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

constexpr std::array<char, 128> MakeAsciiFold() {
  std::array<char, 128> table{};
  for (int c = 0; c < 128; ++c) table[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return table;
}
constexpr std::array<char, 128> kAsciiFold = MakeAsciiFold();

char32_t FoldCodePoint(char32_t c) {
  const locale_t locale = UnicodeLocale();
  if (locale == static_cast<locale_t>(0)) return c;
  // Lower of upper joins the forms that lower case alone keeps apart (final sigma).
  return static_cast<char32_t>(towlower_l(towupper_l(static_cast<wint_t>(c), locale), locale));
}

// Decodes one UTF-8 sequence at text[i]; false when it is not valid.
bool DecodeUtf8(std::string_view text, size_t& i, char32_t& c) {
  const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char lead = byte(i);
  size_t length;
  char32_t min;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800, c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000, c = lead & 0x07;
  } else {
    return false;
  }
  if (i + length > text.size()) return false;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return false;
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  i += length;
  return true;
}

// Encodes c as UTF-8 into out (4 bytes of room); returns the byte count.
size_t EncodeUtf8(char32_t c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

// Calls put with the folded UTF-8 bytes of text, read as UTF-8 or, with
// legacy, one character a byte by the legacy field rule. False when text is
// not valid UTF-8 (and not read as legacy) or put refuses.
template <class Put>
bool Fold(std::string_view text, bool legacy, Put put) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      if (!put(&kAsciiFold[b], 1)) return false;
      ++i;
      continue;
    }
    char32_t c = b;
    if (legacy) {
      c = LegacyByteCodePoint(b);
      ++i;
    } else if (!DecodeUtf8(text, i, c)) {
      return false;
    }
    char encoded[4];
    if (!put(encoded, EncodeUtf8(FoldCodePoint(c), encoded))) return false;
  }
  return true;
}

// A field's folded bytes in a fixed buffer, so matching allocates nothing.
class FoldedField {
 public:
  explicit FoldedField(std::string_view field) {
    if (field.size() > kFieldLimit) field = field.substr(0, kFieldLimit);
    // Plain ASCII, the usual case, folds a byte at a time through the table.
    while (length_ < field.size() && static_cast<unsigned char>(field[length_]) < 0x80) {
      bytes_[length_] = kAsciiFold[static_cast<unsigned char>(field[length_])];
      ++length_;
    }
    if (length_ == field.size()) return;
    length_ = 0;
    const auto append = [this](const char* bytes, size_t n) {
      if (length_ + n > sizeof bytes_) return false;
      memcpy(bytes_ + length_, bytes, n);
      length_ += n;
      return true;
    };
    if (!Fold(field, false, append)) {
      length_ = 0;
      Fold(field, true, append);
    }
  }
  std::string_view View() const { return {bytes_, length_}; }

 private:
  char bytes_[kFoldedCapacity];
  size_t length_ = 0;
};

bool FieldContains(std::string_view field, std::string_view folded) {
  const FoldedField haystack(field);
  const std::string_view text = haystack.View();
  return memmem(text.data(), text.size(), folded.data(), folded.size()) != nullptr;
}

void AppendFoldedText(std::string_view text, std::string& out) {
  const size_t start = out.size();
  const auto append = [&out](const char* bytes, size_t n) {
    out.append(bytes, n);
    return true;
  };
  if (Fold(text, false, append)) return;
  out.resize(start);
  Fold(text, true, append);
}

}  // namespace

void EntryFilter::SetText(std::string_view utf8) {
  folded_.clear();
  AppendFoldedText(utf8, folded_);
}

bool EntryFilter::Matches(const Entry& entry) const {
  if (folded_.empty()) return true;
  return FieldContains(entry.title.view(), folded_) || FieldContains(entry.userName.view(), folded_);
}
