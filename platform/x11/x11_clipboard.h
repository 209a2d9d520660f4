#pragma once

#include <xcb/xcb.h>

#include <string>

// The X11 clipboard owned by quillbox-cli itself, so the copy can carry the
// "x-kde-passwordManagerHint" = "secret" target beside the text (xclip
// serves one target only). The copy is served while Serve is called; it is
// still ours until another program takes the selection.
class X11Clipboard {
 public:
  X11Clipboard() = default;
  X11Clipboard(const X11Clipboard&) = delete;
  X11Clipboard& operator=(const X11Clipboard&) = delete;
  ~X11Clipboard();

  // Connects to $DISPLAY; false when there is no X server to reach.
  bool Connect();
  bool Own(const char* text);
  // Answers the requests that came in; false once the selection was taken.
  bool Serve();
  // Gives the selection up while it is still ours.
  void Release();

 private:
  xcb_atom_t Atom(const char* name);
  void Answer(const xcb_selection_request_event_t& request);
  bool IsText(xcb_atom_t target) const;

  xcb_connection_t* connection_ = nullptr;
  xcb_window_t window_ = 0;
  xcb_timestamp_t ownedAt_ = 0;
  bool owned_ = false;
  std::string text_;
  xcb_atom_t clipboard_ = 0, targets_ = 0, timestamp_ = 0, atom_ = 0, utf8_ = 0, string_ = 0, text_atom_ = 0,
             plain_ = 0, plainUtf8_ = 0, hint_ = 0;
};
