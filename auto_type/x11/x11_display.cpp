#include "auto_type/x11/x11_display.h"

#include <unistd.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

template <typename Reply>
struct ReplyPtr {
  Reply* reply;
  explicit ReplyPtr(Reply* r) : reply(r) {}
  ~ReplyPtr() { free(reply); }
  Reply* operator->() const { return reply; }
  explicit operator bool() const { return reply != nullptr; }
};

}  // namespace

std::unique_ptr<X11Display> X11Display::Open(std::string* error) {
  int screen_number = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screen_number);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    *error = "The X display cannot be reached.";
    return nullptr;
  }
  const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection, &xcb_test_id);
  if (xtest == nullptr || !xtest->present) {
    xcb_disconnect(connection);
    *error = "The X server has no XTEST extension, so keys cannot be typed.";
    return nullptr;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screen_number && screens.rem > 0; ++i) xcb_screen_next(&screens);
  return std::unique_ptr<X11Display>(new X11Display(connection, screens.data->root));
}

X11Display::~X11Display() { xcb_disconnect(connection_); }

xcb_atom_t X11Display::Atom(std::string_view name) const {
  ReplyPtr reply(xcb_intern_atom_reply(
      connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr));
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::vector<uint32_t> X11Display::Cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const {
  ReplyPtr reply(
      xcb_get_property_reply(connection_, xcb_get_property(connection_, 0, window, property, type, 0, 4096), nullptr));
  if (!reply || reply->format != 32) return {};
  const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.reply));
  return std::vector<uint32_t>(values, values + xcb_get_property_value_length(reply.reply) / 4);
}

xcb_window_t X11Display::ActiveWindow() const {
  std::vector<uint32_t> active = Cardinals(root_, Atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
  if (!active.empty() && active[0] != XCB_NONE) return active[0];
  ReplyPtr focus(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  if (!focus || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus->focus == root_) return XCB_NONE;
  return focus->focus;
}

std::string X11Display::WindowTitle(xcb_window_t window) const {
  for (xcb_atom_t property : {Atom("_NET_WM_NAME"), static_cast<xcb_atom_t>(XCB_ATOM_WM_NAME)}) {
    ReplyPtr reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr));
    if (reply && reply->format == 8 && xcb_get_property_value_length(reply.reply) > 0) {
      return std::string(static_cast<const char*>(xcb_get_property_value(reply.reply)),
                         static_cast<size_t>(xcb_get_property_value_length(reply.reply)));
    }
  }
  return {};
}

pid_t X11Display::WindowProcess(xcb_window_t window) const {
  std::vector<uint32_t> pid = Cardinals(window, Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
  return pid.empty() ? 0 : static_cast<pid_t>(pid[0]);
}

xcb_window_t X11Display::TopWindowOfOtherProcess() const {
  std::vector<uint32_t> stacking = Cardinals(root_, Atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
  for (auto window = stacking.rbegin(); window != stacking.rend(); ++window) {
    ReplyPtr attributes(
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, *window), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
    if (WindowProcess(*window) != getpid()) return *window;
  }
  return XCB_NONE;
}

bool X11Display::Activate(xcb_window_t window, int timeoutMs) const {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = Atom("_NET_ACTIVE_WINDOW");
  message.data.data32[0] = 2;  // from a pager: window managers obey it without focus-stealing checks
  message.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(connection_, 0, root_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
  xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
  xcb_flush(connection_);
  for (int waited = 0; waited <= timeoutMs; waited += 10) {
    if (ActiveWindow() == window) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool X11Display::FocusWithin(xcb_window_t window) const {
  ReplyPtr focus(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  if (!focus) return false;
  xcb_window_t inside = focus->focus;
  // Windows nest only so deep; the bound keeps a hostile tree from looping.
  for (int depth = 0; depth < 64 && inside != XCB_NONE && inside != root_; ++depth) {
    if (inside == window) return true;
    ReplyPtr tree(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, inside), nullptr));
    if (!tree) return false;
    inside = tree->parent;
  }
  return false;
}

void X11Display::Sync() const {
  free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

ServerHold::ServerHold(xcb_connection_t* connection) : connection_(connection) { xcb_grab_server(connection_); }

ServerHold::~ServerHold() {
  xcb_ungrab_server(connection_);
  xcb_flush(connection_);
}
