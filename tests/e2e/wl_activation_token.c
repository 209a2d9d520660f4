// Prints an xdg-activation token from the Wayland compositor, as a launcher
// gets one for a program it starts: the Wayland end-to-end test hands it to
// a second start in XDG_ACTIVATION_TOKEN.
#include <stdio.h>
#include <string.h>
#include <wayland-client.h>

#include "xdg-activation-v1-client-protocol.h"

static struct xdg_activation_v1* activation;
static char token[512];

static void OnGlobal(void* data, struct wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  (void)data;
  (void)version;
  if (strcmp(interface, xdg_activation_v1_interface.name) == 0) {
    activation = wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1);
  }
}

static void OnGlobalRemove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data;
  (void)registry;
  (void)name;
}

static const struct wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

static void OnDone(void* data, struct xdg_activation_token_v1* request, const char* value) {
  (void)data;
  (void)request;
  snprintf(token, sizeof token, "%s", value);
}

static const struct xdg_activation_token_v1_listener kTokenListener = {OnDone};

int main(void) {
  struct wl_display* display = wl_display_connect(NULL);
  if (display == NULL) {
    fprintf(stderr, "no Wayland display\n");
    return 1;
  }
  struct wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, NULL);
  wl_display_roundtrip(display);
  if (activation == NULL) {
    fprintf(stderr, "the compositor offers no xdg-activation\n");
    return 1;
  }
  struct xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(activation);
  xdg_activation_token_v1_add_listener(request, &kTokenListener, NULL);
  xdg_activation_token_v1_commit(request);
  while (token[0] == '\0' && wl_display_dispatch(display) != -1) {}
  if (token[0] == '\0') return 1;
  puts(token);
  xdg_activation_token_v1_destroy(request);
  xdg_activation_v1_destroy(activation);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return 0;
}
