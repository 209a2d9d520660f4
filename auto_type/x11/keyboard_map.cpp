#include "auto_type/x11/keyboard_map.h"

#include <algorithm>
#include <cstdlib>

bool KeyboardMap::Load(xcb_connection_t* connection) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  first_ = setup->min_keycode;
  count_ = setup->max_keycode - setup->min_keycode + 1;
  xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
      connection, xcb_get_keyboard_mapping(connection, first_, static_cast<uint8_t>(count_)), nullptr);
  if (map == nullptr) return false;
  perKey_ = map->keysyms_per_keycode;
  const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(map);
  keysyms_.assign(keysyms, keysyms + xcb_get_keyboard_mapping_keysyms_length(map));
  free(map);
  return perKey_ > 0 && keysyms_.size() == static_cast<size_t>(count_) * perKey_;
}

KeyStroke KeyboardMap::Find(xcb_keysym_t keysym) const {
  for (int level = 0; level < 2 && level < perKey_; ++level) {
    for (int k = 0; k < count_; ++k) {
      if (keysyms_[k * perKey_ + level] == keysym) return {static_cast<xcb_keycode_t>(first_ + k), level == 1};
    }
  }
  return {};
}

std::vector<xcb_keycode_t> KeyboardMap::SpareKeycodes() const {
  std::vector<xcb_keycode_t> spare;
  for (int k = count_ - 1; k >= 0; --k) {
    bool empty = true;
    for (int level = 0; level < perKey_; ++level) empty = empty && keysyms_[k * perKey_ + level] == 0;
    if (empty) spare.push_back(static_cast<xcb_keycode_t>(first_ + k));
  }
  return spare;
}

bool KeyboardMap::Has(xcb_keycode_t keycode) const { return keycode >= first_ && keycode - first_ < count_; }

void KeyboardMap::Assign(xcb_connection_t* connection, xcb_keycode_t keycode, xcb_keysym_t keysym) {
  if (!Has(keycode)) return;
  std::vector<xcb_keysym_t> levels(perKey_, keysym);
  xcb_change_keyboard_mapping(connection, 1, keycode, perKey_, levels.data());
  std::copy(levels.begin(), levels.end(), keysyms_.begin() + (keycode - first_) * perKey_);
}
