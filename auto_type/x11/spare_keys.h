#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include "auto_type/x11/keyboard_map.h"
#include "auto_type/x11/keycode_record.h"
#include "core/wiping_allocator.h"

using Keysyms = std::vector<uint32_t, WipingAllocator<uint32_t>>;

// Characters the keyboard map lacks are typed through keycodes that have no
// keysym. A whole batch is mapped before its keys are typed, in keysym
// order, so a program watching the map learns which characters come but not
// when or in what order; the keycodes are recorded on disk before they
// change and emptied again afterwards.
class SpareKeys {
 public:
  SpareKeys(xcb_connection_t* connection, KeyboardMap& map, KeycodeRecord record);
  ~SpareKeys() { Restore(); }
  SpareKeys(const SpareKeys&) = delete;
  SpareKeys& operator=(const SpareKeys&) = delete;

  size_t Capacity() const { return spare_.size(); }
  bool IsSpare(xcb_keycode_t keycode) const;
  // Gives the first spares these keysyms (distinct, at most Capacity);
  // false, with the map unchanged, when the record cannot be written.
  bool MapBatch(Keysyms keysyms);
  bool Mapped() const { return used_ > 0; }
  // Empties every spare used and removes the record.
  void Restore();
  // What a killed typing left mapped (by the record) is emptied.
  static void RestoreRecorded(xcb_connection_t* connection, const KeycodeRecord& record);

 private:
  xcb_connection_t* connection_;
  KeyboardMap& map_;
  KeycodeRecord record_;
  std::vector<xcb_keycode_t> spare_;
  size_t used_ = 0;
};
