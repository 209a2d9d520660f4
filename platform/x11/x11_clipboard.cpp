#include "platform/x11/x11_clipboard.h"

#include <string.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr char kHintType[] = "x-kde-passwordManagerHint";
constexpr char kHintValue[] = "secret";

}  // namespace

X11Clipboard::~X11Clipboard() {
  if (!text_.empty()) explicit_bzero(text_.data(), text_.size());
  if (connection_ != nullptr) xcb_disconnect(connection_);
}

xcb_atom_t X11Clipboard::Atom(const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  free(reply);
  return atom;
}

bool X11Clipboard::Connect() {
  connection_ = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection_)) return false;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
  if (screen == nullptr) return false;
  window_ = xcb_generate_id(connection_);
  const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
  clipboard_ = Atom("CLIPBOARD");
  targets_ = Atom("TARGETS");
  timestamp_ = Atom("TIMESTAMP");
  atom_ = Atom("ATOM");
  utf8_ = Atom("UTF8_STRING");
  string_ = XCB_ATOM_STRING;
  text_atom_ = Atom("TEXT");
  plain_ = Atom("text/plain");
  plainUtf8_ = Atom("text/plain;charset=utf-8");
  hint_ = Atom(kHintType);
  return clipboard_ != XCB_ATOM_NONE && hint_ != XCB_ATOM_NONE;
}

bool X11Clipboard::Own(const char* text) {
  if (connection_ == nullptr) return false;
  text_ = text;
  // A server time for the ownership: the time of a property change of our own.
  xcb_change_property(connection_, XCB_PROP_MODE_APPEND, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
  xcb_flush(connection_);
  while (xcb_generic_event_t* event = xcb_wait_for_event(connection_)) {
    const bool found = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
    if (found) ownedAt_ = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
    free(event);
    if (found) break;
  }
  xcb_set_selection_owner(connection_, window_, clipboard_, ownedAt_);
  xcb_get_selection_owner_reply_t* owner =
      xcb_get_selection_owner_reply(connection_, xcb_get_selection_owner(connection_, clipboard_), nullptr);
  owned_ = owner != nullptr && owner->owner == window_;
  free(owner);
  return owned_;
}

bool X11Clipboard::IsText(xcb_atom_t target) const {
  return target == utf8_ || target == string_ || target == text_atom_ || target == plain_ || target == plainUtf8_;
}

void X11Clipboard::Answer(const xcb_selection_request_event_t& request) {
  xcb_atom_t property = request.property != XCB_ATOM_NONE ? request.property : request.target;
  if (request.target == targets_) {
    const std::vector<xcb_atom_t> offered = {targets_,   timestamp_, utf8_,      string_,
                                             text_atom_, plain_,     plainUtf8_, hint_};
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property, atom_, 32,
                        static_cast<uint32_t>(offered.size()), offered.data());
  } else if (request.target == timestamp_) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_INTEGER, 32, 1,
                        &ownedAt_);
  } else if (request.target == hint_) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property, hint_, 8,
                        static_cast<uint32_t>(strlen(kHintValue)), kHintValue);
  } else if (IsText(request.target)) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                        request.target == text_atom_ ? utf8_ : request.target, 8, static_cast<uint32_t>(text_.size()),
                        text_.data());
  } else {
    property = XCB_ATOM_NONE;
  }
  xcb_selection_notify_event_t notify = {};
  notify.response_type = XCB_SELECTION_NOTIFY;
  notify.time = request.time;
  notify.requestor = request.requestor;
  notify.selection = request.selection;
  notify.target = request.target;
  notify.property = property;
  // Events go out as 32 bytes; the notify structure is shorter.
  char wire[32] = {};
  memcpy(wire, &notify, sizeof notify);
  xcb_send_event(connection_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, wire);
  xcb_flush(connection_);
}

bool X11Clipboard::Serve() {
  if (!owned_) return false;
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
    switch (event->response_type & 0x7f) {
      case XCB_SELECTION_REQUEST:
        Answer(*reinterpret_cast<xcb_selection_request_event_t*>(event));
        break;
      case XCB_SELECTION_CLEAR:
        owned_ = false;
        break;
      default:
        break;
    }
    free(event);
  }
  if (xcb_connection_has_error(connection_)) owned_ = false;
  return owned_;
}

void X11Clipboard::Release() {
  if (Serve()) {
    xcb_set_selection_owner(connection_, XCB_NONE, clipboard_, ownedAt_);
    xcb_flush(connection_);
  }
  owned_ = false;
  explicit_bzero(text_.data(), text_.size());
  text_.clear();
}
