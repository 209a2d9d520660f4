#pragma once

#include "app/clock.h"

// Time that moves only when a test says so; starts near the wrap of the
// 32-bit counter so that differences are taken the wrapping way.
class FakeClock : public Clock {
 public:
  uint32_t NowMs() const override { return now; }
  void Advance(uint32_t ms) { now += ms; }

  uint32_t now = 0xFFFFF000u;
};
