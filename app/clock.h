#pragma once

#include <cstdint>

// Milliseconds for the decisions that wait (clipboard clearing, idle lock),
// so tests can advance time instead of sleeping. Compare differences as
// unsigned: the counter wraps.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t NowMs() const = 0;
};

// Seconds since 1970-01-01 UTC, for the times entries keep.
int64_t UtcSeconds();

// The monotonic tick counter.
class SystemClock final : public Clock {
 public:
  uint32_t NowMs() const override;
};
