#include "app/clock.h"

#include "platform/tick_count.h"

uint32_t SystemClock::NowMs() const { return TickCount(); }
