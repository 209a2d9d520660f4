#pragma once

#include <string>
#include <string_view>

#include "core/wiping_allocator.h"

// Some Windows programs save text as UTF-16 with a byte order mark.
bool HasUtf16ByteOrderMark(std::string_view text);

// Appends the UTF-16 text after its byte order mark as UTF-8; out is
// reserved once beforehand, so a password in it is never copied by growth.
// False with the reason (led by its line) on an odd length or an unpaired
// surrogate.
bool AppendUtf16AsUtf8(std::string_view text, WipingString* out, std::string* error);
