#include "auto_type/x11/x11_typist.h"

#include "auto_type/x11/keyboard_map.h"

#include <unistd.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "core/case_fold.h"
#include "core/legacy_text.h"

namespace {

constexpr xcb_keysym_t kNoSymbol = 0;
constexpr xcb_keysym_t kShiftL = 0xffe1;

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

class Keyboard {
 public:
  Keyboard(const X11Display& display, xcb_window_t target, int keyDelayMs)
      : display_(display), connection_(display.connection()), target_(target), delay_(keyDelayMs) {}

  ~Keyboard() { RestoreMap(); }

  bool Load() {
    if (!map_.Load(connection_)) return false;
    spare_ = map_.SpareKeycodes();
    shift_ = map_.Find(kShiftL).keycode;
    return shift_ != 0;
  }

  // Lets go of every key still held: the shortcut's modifiers would turn
  // our keys into others, and its own key, still down, would swallow the
  // first press of that letter.
  void ReleaseHeldKeys() {
    xcb_query_keymap_reply_t* pressed = xcb_query_keymap_reply(connection_, xcb_query_keymap(connection_), nullptr);
    if (pressed == nullptr) return;
    for (int key = 8; key < 256; ++key) {
      if (pressed->keys[key / 8] & (1 << (key % 8))) Fake(XCB_KEY_RELEASE, static_cast<xcb_keycode_t>(key));
    }
    xcb_flush(connection_);
    free(pressed);
  }

  bool StillOnTarget() const { return display_.ActiveWindow() == target_; }

  TypingResult Type(uint32_t keysym) {
    if (!StillOnTarget()) return TypingResult::kFocusLost;
    KeyStroke stroke = map_.Find(keysym);
    if (stroke.keycode == 0 && !MapSpare(keysym, &stroke)) return TypingResult::kRefused;
    if (stroke.shifted) Fake(XCB_KEY_PRESS, shift_);
    Fake(XCB_KEY_PRESS, stroke.keycode);
    Fake(XCB_KEY_RELEASE, stroke.keycode);
    if (stroke.shifted) Fake(XCB_KEY_RELEASE, shift_);
    xcb_flush(connection_);
    Pause(delay_);
    return TypingResult::kDone;
  }

  void SetDelay(int milliseconds) { delay_ = milliseconds; }

  void Pause(int milliseconds) const {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

 private:
  // Every level of a spare keycode gets the keysym, so no modifier state
  // changes what it types. Spares are used in turn; one is mapped anew only
  // after its last key had time to be read with the old meaning.
  bool MapSpare(uint32_t keysym, KeyStroke* stroke) {
    if (spare_.empty()) return false;
    xcb_keycode_t keycode = spare_[nextSpare_ % spare_.size()];
    if (nextSpare_ >= spare_.size()) Pause(delay_ + kSettleMs);
    ++nextSpare_;
    map_.Assign(connection_, keycode, keysym);
    remapped_ = true;
    // The target reads the new meaning from the mapping notice, which must
    // reach it before the key does.
    display_.Sync();
    Pause(kSettleMs);
    *stroke = {keycode, false};
    return true;
  }

  void RestoreMap() {
    if (!remapped_) return;
    // The last keys must be read before their keycodes lose their meaning.
    Pause(delay_ + kSettleMs);
    for (size_t i = 0; i < spare_.size() && i < nextSpare_; ++i) map_.Assign(connection_, spare_[i], kNoSymbol);
    display_.Sync();
  }

  void Fake(uint8_t type, xcb_keycode_t keycode) {
    xcb_test_fake_input(connection_, type, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  }

  static constexpr int kSettleMs = 50;

  const X11Display& display_;
  xcb_connection_t* connection_;
  xcb_window_t target_;
  int delay_;
  KeyboardMap map_;
  std::vector<xcb_keycode_t> spare_;
  size_t nextSpare_ = 0;
  bool remapped_ = false;
  xcb_keycode_t shift_ = 0;
};

bool IsUtf8(std::string_view text) {
  return FoldText(text, false, [](const char*, size_t) { return true; });
}

// A legacy safe's text is one character a byte, by the legacy field rule.
TypingResult TypeText(Keyboard& keyboard, std::string_view text) {
  const bool legacy = !IsUtf8(text);
  for (size_t i = 0; i < text.size();) {
    char32_t c = static_cast<unsigned char>(text[i]);
    if (legacy) {
      c = LegacyByteCodePoint(static_cast<unsigned char>(text[i++]));
    } else if (c < 0x80) {
      ++i;
    } else {
      DecodeUtf8(text, i, c);
    }
    TypingResult typed = keyboard.Type(KeysymOfCodePoint(c));
    if (typed != TypingResult::kDone) return typed;
  }
  return TypingResult::kDone;
}

}  // namespace

uint32_t KeysymOfCodePoint(char32_t c) {
  if (c == '\n') return 0xff0d;
  if (c == '\t') return 0xff09;
  // Latin-1 keysyms are the code points themselves; the rest are offset.
  if ((c >= 0x20 && c <= 0x7e) || (c >= 0xa0 && c <= 0xff)) return c;
  return 0x01000000 | c;
}

TypingResult TypeIntoWindow(const X11Display& display, xcb_window_t target, const std::vector<AutoTypeAction>& steps,
                            int keyDelayMs, std::string* error) {
  if (target == XCB_NONE || display.WindowProcess(target) == getpid()) {
    *error = "Auto-type types only into other programs' windows.";
    return TypingResult::kRefused;
  }
  Keyboard keyboard(display, target, keyDelayMs);
  if (!keyboard.Load()) {
    *error = "The keyboard map cannot be read.";
    return TypingResult::kRefused;
  }
  keyboard.ReleaseHeldKeys();
  TypingResult result = TypingResult::kDone;
  for (const AutoTypeAction& step : steps) {
    switch (step.kind) {
      case AutoTypeAction::Kind::kText:
        result = TypeText(keyboard, step.text.view());
        break;
      case AutoTypeAction::Kind::kKey:
        result = keyboard.Type(kKeysyms[static_cast<int>(step.key)]);
        break;
      case AutoTypeAction::Kind::kDelay:
        keyboard.Pause(step.milliseconds);
        break;
      case AutoTypeAction::Kind::kKeyDelay:
        keyboard.SetDelay(step.milliseconds);
        break;
    }
    if (result != TypingResult::kDone) break;
  }
  if (result == TypingResult::kFocusLost) {
    *error = "Auto-type stopped: another window became active while it typed.";
  } else if (result == TypingResult::kRefused) {
    *error = "Auto-type stopped: the keyboard has no key left to type a character with.";
  }
  return result;
}
