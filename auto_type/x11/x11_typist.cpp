#include "auto_type/x11/x11_typist.h"

#include <unistd.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

#include "auto_type/x11/key_presses.h"
#include "auto_type/x11/keyboard_locks.h"
#include "auto_type/x11/keyboard_map.h"
#include "auto_type/x11/spare_keys.h"

namespace {

constexpr xcb_keysym_t kShiftL = 0xffe1;
constexpr int kSettleMs = 50;
constexpr int kGrabWaitMs = 1000;

void Pause(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// The keyboard, held by this connection for the whole typing so that no
// other program can grab it. XTEST's keys would come back to the holder,
// so each key is sent in a moment of letting go, while the server serves
// no one else: nobody can take the keyboard or the focus in that moment.
class Keyboard {
 public:
  Keyboard(const X11Display& display, xcb_window_t target)
      : display_(display), connection_(display.connection()), target_(target), locks_(connection_) {}

  ~Keyboard() {
    if (spares_ && spares_->Mapped()) {
      // The last keys must be read before their keycodes lose their meaning.
      Pause(delay_ + kSettleMs);
      spares_->Restore();
    }
    if (held_) xcb_ungrab_keyboard(connection_, XCB_CURRENT_TIME);
    locks_.Restore();
    display_.Sync();
  }

  bool Load() {
    if (!map_.Load(connection_)) return false;
    spares_.emplace(connection_, map_, KeycodeRecord::ForThisDisplay());
    shift_ = map_.Find(kShiftL).keycode;
    locks_.Save();
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

  // Another program may hold the keyboard for a moment (a window manager
  // switching windows); one that keeps it would get the keys.
  bool Hold() {
    for (int waited = 0; waited <= kGrabWaitMs; waited += 10) {
      if (Grab()) return held_ = true;
      Pause(10);
    }
    return false;
  }

  TypingResult Type(const Presses& presses) {
    // The first batch is mapped before any key, so the change tells nothing
    // of where in the text those characters stand.
    Keysyms first = Missing(presses, 0);
    if (!first.empty() && !MapSpares(std::move(first))) return TypingResult::kNoRecord;
    for (size_t i = 0; i < presses.size(); ++i) {
      const Press& press = presses[i];
      if (press.kind == Press::Kind::kPause) {
        Pause(static_cast<int>(press.value));
      } else if (press.kind == Press::Kind::kPace) {
        delay_ = static_cast<int>(press.value);
      } else {
        TypingResult typed = TypeKey(presses, i);
        if (typed != TypingResult::kDone) return typed;
      }
    }
    return TypingResult::kDone;
  }

 private:
  bool Grab() {
    xcb_grab_keyboard_reply_t* grab = xcb_grab_keyboard_reply(
        connection_,
        xcb_grab_keyboard(connection_, 0, display_.root(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr);
    const bool taken = grab != nullptr && grab->status == XCB_GRAB_STATUS_SUCCESS;
    free(grab);
    return taken;
  }

  TypingResult TypeKey(const Presses& presses, size_t at) {
    KeyStroke stroke = map_.Find(presses[at].value);
    if (stroke.keycode == 0) {
      Keysyms batch = Missing(presses, at);
      if (batch.empty()) return TypingResult::kNoKeyLeft;
      if (!MapSpares(std::move(batch))) return TypingResult::kNoRecord;
      stroke = map_.Find(presses[at].value);
    }
    TypingResult result = TypingResult::kDone;
    {
      ServerHold hold(connection_);
      if (display_.ActiveWindow() != target_ || !display_.FocusWithin(target_)) {
        result = TypingResult::kFocusLost;
      } else {
        locks_.Clear();
        xcb_ungrab_keyboard(connection_, XCB_CURRENT_TIME);
        if (stroke.shifted) Fake(XCB_KEY_PRESS, shift_);
        Fake(XCB_KEY_PRESS, stroke.keycode);
        Fake(XCB_KEY_RELEASE, stroke.keycode);
        if (stroke.shifted) Fake(XCB_KEY_RELEASE, shift_);
        if (!Grab()) result = TypingResult::kKeyboardTaken;
      }
    }
    held_ = result != TypingResult::kKeyboardTaken;
    DropEvents();
    Pause(delay_);
    return result;
  }

  // The characters the map lacks from this key on, as many as there are
  // spare keycodes.
  Keysyms Missing(const Presses& presses, size_t from) const {
    Keysyms batch;
    for (size_t i = from; i < presses.size() && batch.size() < spares_->Capacity(); ++i) {
      if (presses[i].kind != Press::Kind::kKey) continue;
      const uint32_t keysym = presses[i].value;
      const KeyStroke found = map_.Find(keysym);
      if (found.keycode != 0 && !spares_->IsSpare(found.keycode)) continue;
      if (std::find(batch.begin(), batch.end(), keysym) == batch.end()) batch.push_back(keysym);
    }
    return batch;
  }

  bool MapSpares(Keysyms batch) {
    // Keys typed through the last batch must be read with its meaning.
    if (spares_->Mapped()) Pause(delay_ + kSettleMs);
    if (!spares_->MapBatch(std::move(batch))) return false;
    // The target reads the new meanings from the mapping notice, which must
    // reach it before the keys do.
    display_.Sync();
    Pause(kSettleMs);
    return true;
  }

  // What the user types meanwhile comes to this connection; it is dropped.
  void DropEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) free(event);
  }

  void Fake(uint8_t type, xcb_keycode_t keycode) {
    xcb_test_fake_input(connection_, type, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  }

  const X11Display& display_;
  xcb_connection_t* connection_;
  xcb_window_t target_;
  int delay_ = 0;
  KeyboardMap map_;
  KeyboardLocks locks_;
  std::optional<SpareKeys> spares_;
  xcb_keycode_t shift_ = 0;
  bool held_ = false;
};

}  // namespace

void RestoreKeysLeftMapped(const X11Display& display) {
  SpareKeys::RestoreRecorded(display.connection(), KeycodeRecord::ForThisDisplay());
  display.Sync();
}

TypingResult TypeIntoWindow(const X11Display& display, xcb_window_t target, const std::vector<AutoTypeAction>& steps,
                            int keyDelayMs, std::string* error) {
  if (target == XCB_NONE || display.WindowProcess(target) == getpid()) {
    *error = "Auto-type types only into other programs' windows.";
    return TypingResult::kRefused;
  }
  Keyboard keyboard(display, target);
  if (!keyboard.Load()) {
    *error = "The keyboard map cannot be read.";
    return TypingResult::kRefused;
  }
  keyboard.ReleaseHeldKeys();
  if (!keyboard.Hold()) {
    *error = "Auto-type typed nothing: another program holds the keyboard and would receive the keys.";
    return TypingResult::kKeyboardTaken;
  }
  Presses presses = PressesOf(steps);
  presses.insert(presses.begin(), {Press::Kind::kPace, static_cast<uint32_t>(keyDelayMs)});
  const TypingResult result = keyboard.Type(presses);
  if (result == TypingResult::kFocusLost) {
    *error = "Auto-type stopped: another window became active while it typed.";
  } else if (result == TypingResult::kKeyboardTaken) {
    *error = "Auto-type stopped: another program took the keyboard while it typed.";
  } else if (result == TypingResult::kNoKeyLeft) {
    *error = "Auto-type stopped: the keyboard has no key left to type a character with.";
  } else if (result == TypingResult::kNoRecord) {
    *error = "Auto-type stopped: the file that records the keys it changes cannot be written.";
  }
  return result;
}
