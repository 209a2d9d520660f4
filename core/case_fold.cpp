#include "core/case_fold.h"

#include <locale.h>
#include <wctype.h>

namespace {

locale_t UnicodeLocale() {
  // The process's own locale may be "C"; folding must not depend on it.
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

}  // namespace

char32_t FoldCodePoint(char32_t c) {
  const locale_t locale = UnicodeLocale();
  if (locale == static_cast<locale_t>(0)) return c;
  // Lower of upper joins the forms that lower case alone keeps apart (final sigma).
  return static_cast<char32_t>(towlower_l(towupper_l(static_cast<wint_t>(c), locale), locale));
}

void AppendFoldedText(std::string_view text, std::string& out) {
  const size_t start = out.size();
  const auto append = [&out](const char* bytes, size_t n) {
    out.append(bytes, n);
    return true;
  };
  if (FoldText(text, false, append)) return;
  out.resize(start);
  FoldText(text, true, append);
}
