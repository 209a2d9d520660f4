#include "core/cpstring.h"

#include <new>
#include <stdexcept>

#include "core/heapstring.h"

cpString::cpString() = default;

cpString::cpString(const char* text) : std::string(text != nullptr ? text : "") {}

cpString::cpString(const std::string& text) : std::string(text) {}

cpString::cpString(int value) {
  // A failed allocation leaves the string empty, like a failed format.
  AssignText(FormatString("%d", value), false);
}

cpString::~cpString() = default;

bool cpString::AssignText(const char* text, bool callerOwnsText) {
  bool copied = true;
  try {
    assign(text != nullptr ? text : "");
  } catch (const std::bad_alloc&) {
    copied = false;
  } catch (const std::length_error&) {
    copied = false;
  }
  if (!callerOwnsText) FreeString(const_cast<char*>(text));
  return copied;
}
