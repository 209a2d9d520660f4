#include "auto_type/x11/key_presses.h"

#include "core/legacy_text.h"
#include "core/utf8.h"

namespace {

constexpr uint32_t kKeysyms[] = {
    0xff09,  // Tab
    0xff0d,  // Return
    0x0020,  // space
    0xff08,  // BackSpace
    0xffff,  // Delete
    0xff52,  // Up
    0xff54,  // Down
    0xff51,  // Left
    0xff53,  // Right
    0xff50,  // Home
    0xff57,  // End
};

// A legacy safe's text is one character a byte, by the legacy field rule.
void AddText(std::string_view text, Presses* presses) {
  const bool legacy = !IsUtf8(text);
  for (size_t i = 0; i < text.size();) {
    char32_t c = 0;
    if (legacy) {
      c = LegacyByteCodePoint(static_cast<unsigned char>(text[i++]));
    } else {
      DecodeUtf8(text, i, c);
    }
    presses->push_back({Press::Kind::kKey, KeysymOfCodePoint(c)});
  }
}

}  // namespace

Presses PressesOf(const std::vector<AutoTypeAction>& steps) {
  Presses presses;
  for (const AutoTypeAction& step : steps) {
    switch (step.kind) {
      case AutoTypeAction::Kind::kText:
        AddText(step.text.view(), &presses);
        break;
      case AutoTypeAction::Kind::kKey:
        presses.push_back({Press::Kind::kKey, kKeysyms[static_cast<int>(step.key)]});
        break;
      case AutoTypeAction::Kind::kDelay:
        presses.push_back({Press::Kind::kPause, static_cast<uint32_t>(step.milliseconds)});
        break;
      case AutoTypeAction::Kind::kKeyDelay:
        presses.push_back({Press::Kind::kPace, static_cast<uint32_t>(step.milliseconds)});
        break;
    }
  }
  return presses;
}

uint32_t KeysymOfCodePoint(char32_t c) {
  if (c == '\n') return 0xff0d;
  if (c == '\t') return 0xff09;
  // Latin-1 keysyms are the code points themselves; the rest are offset.
  if ((c >= 0x20 && c <= 0x7e) || (c >= 0xa0 && c <= 0xff)) return c;
  return 0x01000000 | c;
}
