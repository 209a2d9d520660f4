#include "auto_type/x11/keyboard_locks.h"

// xkb.h names a field "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

namespace {

constexpr uint8_t kAllMods = 0xff;

}  // namespace

bool KeyboardLocks::Save() {
  xcb_xkb_use_extension_reply_t* use = xcb_xkb_use_extension_reply(
      connection_, xcb_xkb_use_extension(connection_, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr);
  const bool supported = use != nullptr && use->supported;
  free(use);
  if (!supported) return false;
  xcb_xkb_get_state_reply_t* state =
      xcb_xkb_get_state_reply(connection_, xcb_xkb_get_state(connection_, XCB_XKB_ID_USE_CORE_KBD), nullptr);
  if (state == nullptr) return false;
  lockedMods_ = state->lockedMods;
  lockedGroup_ = state->lockedGroup;
  free(state);
  saved_ = true;
  return true;
}

// Latched modifiers and group go too: they would change the next key.
void KeyboardLocks::Clear() const {
  if (!saved_) return;
  xcb_xkb_latch_lock_state(connection_, XCB_XKB_ID_USE_CORE_KBD, kAllMods, 0, 1, XCB_XKB_GROUP_1, kAllMods, 1, 0);
}

void KeyboardLocks::Restore() const {
  if (!saved_) return;
  xcb_xkb_latch_lock_state(connection_, XCB_XKB_ID_USE_CORE_KBD, kAllMods, lockedMods_, 1, lockedGroup_, 0, 0, 0);
  xcb_flush(connection_);
}
