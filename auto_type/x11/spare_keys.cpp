#include "auto_type/x11/spare_keys.h"

#include <algorithm>
#include <cstdlib>

#include "auto_type/x11/x11_display.h"

namespace {

constexpr xcb_keysym_t kNoSymbol = 0;

}  // namespace

SpareKeys::SpareKeys(xcb_connection_t* connection, KeyboardMap& map, KeycodeRecord record)
    : connection_(connection), map_(map), record_(std::move(record)), spare_(map.SpareKeycodes()) {}

bool SpareKeys::IsSpare(xcb_keycode_t keycode) const {
  return std::find(spare_.begin(), spare_.end(), keycode) != spare_.end();
}

bool SpareKeys::MapBatch(Keysyms keysyms) {
  if (keysyms.size() > spare_.size()) return false;
  std::sort(keysyms.begin(), keysyms.end());
  const size_t used = std::max(used_, keysyms.size());
  if (!record_.Write(std::vector<uint8_t>(spare_.begin(), spare_.begin() + static_cast<ptrdiff_t>(used)))) return false;
  used_ = used;
  ServerHold hold(connection_);
  for (size_t i = 0; i < used_; ++i) map_.Assign(connection_, spare_[i], i < keysyms.size() ? keysyms[i] : kNoSymbol);
  return true;
}

void SpareKeys::Restore() {
  if (used_ == 0) return;
  {
    ServerHold hold(connection_);
    for (size_t i = 0; i < used_; ++i) map_.Assign(connection_, spare_[i], kNoSymbol);
  }
  record_.Remove();
  used_ = 0;
}

void SpareKeys::RestoreRecorded(xcb_connection_t* connection, const KeycodeRecord& record) {
  const std::vector<uint8_t> keycodes = record.Read();
  if (keycodes.empty()) return;
  KeyboardMap map;
  if (!map.Load(connection)) return;
  {
    ServerHold hold(connection);
    for (uint8_t keycode : keycodes) {
      if (map.Has(keycode)) map.Assign(connection, keycode, kNoSymbol);
    }
  }
  record.Remove();
}
