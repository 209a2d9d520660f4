#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The other programs read and write UTF-8; the safe holds bytes, which older
// safes filled from a Windows code page.

// The offset of the first byte that is not part of well-formed UTF-8
// (overlong forms and surrogates included), or text.size() when all is.
size_t FindInvalidUtf8(std::string_view text);

// Appends text as UTF-8: well-formed UTF-8 unchanged, anything else read
// as Windows-1252, the code page older safes were written in.
void AppendAsUtf8(std::string_view text, std::string* out);
