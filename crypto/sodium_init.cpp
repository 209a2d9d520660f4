#include "crypto/sodium_init.h"

#include <sodium.h>

bool InitSodium() {
  // 0: done now, 1: done before; sodium_init itself is thread-safe.
  static const bool ready = sodium_init() >= 0;
  return ready;
}
