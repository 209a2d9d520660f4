#pragma once

#include <vector>

#include "safe/entry.h"

// Told when a safe has opened (log-in, unlock) and before the open one
// closes (lock, log-out, exit), for services that hand something of the
// open safe to the desktop and must take it back.
class SafeSessionListener {
 public:
  virtual ~SafeSessionListener() = default;
  virtual void SafeOpened(const std::vector<Entry>& entries) = 0;
  virtual void SafeClosing() = 0;
};
