#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

// The key that types a keysym: its keycode, and whether Shift is needed.
struct KeyStroke {
  xcb_keycode_t keycode = 0;  // 0: no key types it
  bool shifted = false;
};

// The server's keyboard map (keycode to keysyms, as the core protocol has it).
class KeyboardMap {
 public:
  bool Load(xcb_connection_t* connection);
  // The plain key first, then a shifted one.
  KeyStroke Find(xcb_keysym_t keysym) const;
  // Keycodes with no keysym at all, highest first.
  std::vector<xcb_keycode_t> SpareKeycodes() const;
  bool Has(xcb_keycode_t keycode) const;
  // Gives every level of a keycode the keysym (or none) on the server.
  void Assign(xcb_connection_t* connection, xcb_keycode_t keycode, xcb_keysym_t keysym);
  uint8_t KeysymsPerKeycode() const { return perKey_; }

 private:
  xcb_keycode_t first_ = 0;
  int count_ = 0;
  uint8_t perKey_ = 0;
  std::vector<xcb_keysym_t> keysyms_;
};
