#pragma once

#include <xcb/xcb.h>

#include <cstdint>

// The keyboard's locked modifiers (Caps Lock, Num Lock) and group, through
// the XKB extension: typing sets them to the first group with nothing
// locked, so a key types what the map's first columns say, and puts the
// user's state back afterwards.
class KeyboardLocks {
 public:
  explicit KeyboardLocks(xcb_connection_t* connection) : connection_(connection) {}

  // False when the server has no XKB; the state is then left alone.
  bool Save();
  // Sent again before every key: the user may press Caps Lock meanwhile.
  void Clear() const;
  void Restore() const;

 private:
  xcb_connection_t* connection_;
  bool saved_ = false;
  uint8_t lockedMods_ = 0;
  uint8_t lockedGroup_ = 0;
};
