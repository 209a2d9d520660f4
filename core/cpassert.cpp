#include "core/cpassert.h"

#include <cstdio>
#include <cstdlib>

void AssertionFailed(const char* unit, const char* expression, int line) {
  fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expression, unit, line);
  abort();
}
