#pragma once

#include <sys/types.h>
#include <xcb/xcb.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One connection to the X server for finding windows and typing into them,
// apart from the toolkit's own, so that typing can run off its thread.
class X11Display {
 public:
  // DISPLAY's server with the XTEST extension, or null with the reason.
  static std::unique_ptr<X11Display> Open(std::string* error);
  ~X11Display();
  X11Display(const X11Display&) = delete;
  X11Display& operator=(const X11Display&) = delete;

  xcb_connection_t* connection() const { return connection_; }
  xcb_window_t root() const { return root_; }
  xcb_atom_t Atom(std::string_view name) const;

  // The window the window manager says is active, or the one with the
  // input focus when it says nothing; 0 when neither.
  xcb_window_t ActiveWindow() const;
  std::string WindowTitle(xcb_window_t window) const;
  // The process that owns the window, as it says itself; 0 when unknown.
  pid_t WindowProcess(xcb_window_t window) const;
  // The topmost shown window of another process than ours: the one the
  // user was in before ours came up.
  xcb_window_t TopWindowOfOtherProcess() const;
  // Asks the window manager to activate the window; true once it is.
  bool Activate(xcb_window_t window, int timeoutMs) const;
  // Whether the input focus is the window or inside it.
  bool FocusWithin(xcb_window_t window) const;
  // Waits for every request sent so far to be handled.
  void Sync() const;

 private:
  X11Display(xcb_connection_t* connection, xcb_window_t root) : connection_(connection), root_(root) {}
  std::vector<uint32_t> Cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const;

  xcb_connection_t* connection_;
  xcb_window_t root_;
};

// No other client's request is handled while this lives, so what is
// checked under it stays true and what is changed under it is seen whole.
class ServerHold {
 public:
  explicit ServerHold(xcb_connection_t* connection);
  ~ServerHold();
  ServerHold(const ServerHold&) = delete;
  ServerHold& operator=(const ServerHold&) = delete;

 private:
  xcb_connection_t* connection_;
};
