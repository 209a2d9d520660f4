#pragma once

#include <cstdint>

// Milliseconds of the monotonic clock truncated to 32 bits: a tick counter
// that wraps about every 49.7 days, so callers compare unsigned differences.
uint32_t TickCount();
