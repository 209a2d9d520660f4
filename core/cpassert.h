#pragma once

// Programming errors: the message names the source unit and the expression,
// then the process aborts. Always active, also in release builds.
[[noreturn]] void AssertionFailed(const char* unit, const char* expression, int line);

#define CP_ASSERT(unit, expression) ((expression) ? static_cast<void>(0) : AssertionFailed(unit, #expression, __LINE__))
