#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/legacy_text.h"
#include "core/utf8.h"

// Case folding for matching what a user types against what is stored,
// independent of the process's locale.

char32_t FoldCodePoint(char32_t c);

namespace case_fold_detail {
constexpr std::array<char, 128> MakeAsciiFold() {
  std::array<char, 128> table{};
  for (int c = 0; c < 128; ++c) table[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return table;
}
inline constexpr std::array<char, 128> kAsciiFold = MakeAsciiFold();

}  // namespace case_fold_detail

// Calls put with the folded UTF-8 bytes of text, read as UTF-8 or, with
// legacy, one character a byte by the legacy field rule. False when text is
// not valid UTF-8 (and not read as legacy) or put refuses.
template <class Put>
bool FoldText(std::string_view text, bool legacy, Put put) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      if (!put(&case_fold_detail::kAsciiFold[b], 1)) return false;
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

// Appends text folded, read as UTF-8 or, when it is not valid UTF-8, by
// the legacy field rule.
void AppendFoldedText(std::string_view text, std::string& out);
