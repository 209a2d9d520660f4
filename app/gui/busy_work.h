#pragma once

#include <functional>

// Runs work on a thread of its own while this thread shows the busy cursor
// and keeps handling events (painting, timers), but no keyboard or mouse
// input, so nothing can be started twice. Returns when the work is done.
void RunBusyWork(const std::function<void()>& work);
