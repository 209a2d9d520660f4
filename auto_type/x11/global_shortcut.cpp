#include "auto_type/x11/global_shortcut.h"

#include <cstdlib>

#include "auto_type/x11/keyboard_map.h"

namespace {

// Caps Lock and Num Lock (Mod2 on every common map) must not stop the
// shortcut, so it is taken with each of their states.
constexpr uint16_t kLockStates[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

}  // namespace

bool GlobalShortcut::Take(xcb_keysym_t keysym, uint16_t modifiers) {
  Release();
  KeyboardMap map;
  if (!map.Load(connection_)) return false;
  xcb_keycode_t keycode = map.Find(keysym).keycode;
  if (keycode == 0) return false;
  bool taken = true;
  for (uint16_t locks : kLockStates) {
    xcb_generic_error_t* error =
        xcb_request_check(connection_, xcb_grab_key_checked(connection_, 1, root_, modifiers | locks, keycode,
                                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    taken = taken && error == nullptr;
    free(error);
  }
  keycode_ = keycode;
  modifiers_ = modifiers;
  if (!taken) Release();
  return taken;
}

void GlobalShortcut::Release() {
  if (keycode_ == 0) return;
  for (uint16_t locks : kLockStates) xcb_ungrab_key(connection_, keycode_, root_, modifiers_ | locks);
  xcb_flush(connection_);
  keycode_ = 0;
}

void GlobalShortcut::EndKeyboardGrab() const {
  xcb_ungrab_keyboard(connection_, XCB_CURRENT_TIME);
  xcb_flush(connection_);
}

bool GlobalShortcut::IsPress(const xcb_generic_event_t* event) const {
  if (keycode_ == 0 || (event->response_type & ~0x80) != XCB_KEY_PRESS) return false;
  const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
  constexpr uint16_t kLocks = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;
  return press->detail == keycode_ && (press->state & ~kLocks) == modifiers_;
}
