// Another program on the display that takes the keyboard as soon as it can
// and keeps it, as a key logger would: writes "grabbed" to the log file once
// it holds the keyboard, then "key N" for every key press it receives. Runs
// until killed.
//
// usage: x_keyboard_grab LOG_FILE
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <xcb/xcb.h>

static void note(FILE* log, const char* text, int number) {
  fprintf(log, text, number);
  fflush(log);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: x_keyboard_grab LOG_FILE\n");
    return 2;
  }
  FILE* log = fopen(argv[1], "a");
  xcb_connection_t* connection = xcb_connect(NULL, NULL);
  if (log == NULL || xcb_connection_has_error(connection)) return 1;
  xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  const struct timespec pause = {0, 2 * 1000 * 1000};
  for (;;) {
    xcb_grab_keyboard_reply_t* grab = xcb_grab_keyboard_reply(
        connection, xcb_grab_keyboard(connection, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        NULL);
    if (grab == NULL) return 1;
    const int status = grab->status;
    free(grab);
    if (status == XCB_GRAB_STATUS_SUCCESS) break;
    nanosleep(&pause, NULL);
  }
  note(log, "grabbed\n", 0);
  xcb_generic_event_t* event;
  while ((event = xcb_wait_for_event(connection)) != NULL) {
    if ((event->response_type & ~0x80) == XCB_KEY_PRESS) note(log, "key %d\n", ((xcb_key_press_event_t*)event)->detail);
    free(event);
  }
  return 0;
}
