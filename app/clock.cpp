#include "app/clock.h"

#include <ctime>

#include "platform/tick_count.h"

uint32_t SystemClock::NowMs() const { return TickCount(); }

int64_t UtcSeconds() { return static_cast<int64_t>(std::time(nullptr)); }
