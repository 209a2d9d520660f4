#pragma once

#include <xcb/xcb.h>

#include <cstdint>

// A key with modifiers (XCB_MOD_MASK_*) taken on the root window, so that it
// reaches this program from whichever window is active.
class GlobalShortcut {
 public:
  GlobalShortcut(xcb_connection_t* connection, xcb_window_t root) : connection_(connection), root_(root) {}
  ~GlobalShortcut() { Release(); }
  GlobalShortcut(const GlobalShortcut&) = delete;
  GlobalShortcut& operator=(const GlobalShortcut&) = delete;

  // False when the keyboard has no such key or another program holds it.
  bool Take(xcb_keysym_t keysym, uint16_t modifiers);
  void Release();
  // Whether an event the toolkit received is a press of the shortcut.
  bool IsPress(const xcb_generic_event_t* event) const;
  // A press makes the server send this program every key until the
  // shortcut's key is let go; typed keys must reach the target instead.
  void EndKeyboardGrab() const;

 private:
  xcb_connection_t* connection_;
  xcb_window_t root_;
  xcb_keycode_t keycode_ = 0;
  uint16_t modifiers_ = 0;
};
