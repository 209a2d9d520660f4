#include "app/entry_filter.h"

#include <locale.h>
#include <string.h>
#include <wctype.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/legacy_text.h"

namespace {

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

// Whether a field's folded bytes contain the folded filter text. The field
// is folded into a fixed window that is searched whenever it fills, keeping
// its last needle-1 bytes for a match across two fills: fields of any length
// (notes reach 1 MiB) match without allocating. The window may hold folded
// notes, so the part it used is wiped at the end.
class FoldedSearch {
 public:
  static constexpr size_t kWindow = 4096;
  // Longer filter texts fold the whole field instead.
  static constexpr size_t kLongestNeedle = kWindow / 2;

  explicit FoldedSearch(std::string_view needle) : needle_(needle) {}
  ~FoldedSearch() { explicit_bzero(window_, used_); }
  FoldedSearch(const FoldedSearch&) = delete;
  FoldedSearch& operator=(const FoldedSearch&) = delete;

  // A field that is not valid UTF-8 is read by the legacy field rule, as a
  // whole, as the list shows it.
  bool Contains(std::string_view field) {
    if (!Run(field, false)) Run(field, true);
    return found_;
  }

 private:
  bool Run(std::string_view field, bool legacy) {
    length_ = 0;
    found_ = false;
    const auto append = [this](const char* bytes, size_t n) {
      if (length_ + n > kWindow) Slide();
      memcpy(window_ + length_, bytes, n);
      length_ += n;
      return true;
    };
    if (!Fold(field, legacy, append)) return false;
    Scan();
    return true;
  }

  void Scan() {
    used_ = std::max(used_, length_);
    if (!found_) found_ = memmem(window_, length_, needle_.data(), needle_.size()) != nullptr;
  }

  void Slide() {
    Scan();
    const size_t keep = std::min(length_, needle_.size() - 1);
    memmove(window_, window_ + length_ - keep, keep);
    length_ = keep;
  }

  std::string_view needle_;
  char window_[kWindow];
  size_t length_ = 0;
  size_t used_ = 0;
  bool found_ = false;
};

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

namespace {

// Rare: a filter text too long for the window folds each field whole.
bool LongNeedleContains(std::string_view field, std::string_view needle) {
  std::string folded;
  AppendFoldedText(field, folded);
  const bool found = folded.find(needle) != std::string::npos;
  explicit_bzero(folded.data(), folded.size());
  return found;
}

// The texts the filter looks at, notes last as they are the longest.
// Passwords, the one-time code and custom fields are never among them.
template <class Contains>
bool AnyField(const Entry& entry, Contains contains) {
  if (contains(entry.title.view()) || contains(entry.userName.view()) || contains(entry.url.view())) return true;
  for (const SecretText& tag : entry.tags) {
    if (contains(tag.view())) return true;
  }
  return contains(entry.notes.view());
}

}  // namespace

bool EntryFilter::Matches(const Entry& entry) const {
  if (folded_.empty()) return true;
  if (folded_.size() > FoldedSearch::kLongestNeedle) {
    return AnyField(entry, [this](std::string_view field) { return LongNeedleContains(field, folded_); });
  }
  FoldedSearch search(folded_);
  return AnyField(entry, [&search](std::string_view field) { return search.Contains(field); });
}
