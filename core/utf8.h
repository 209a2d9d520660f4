#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 as Unicode defines it: overlong forms, surrogates and anything past
// U+10FFFF are not well-formed, whatever a lenient decoder would make of them.

// Decodes the sequence at text[i] into c and moves i past it; false, with i
// where it was, when the bytes there are not well-formed UTF-8.
bool DecodeUtf8(std::string_view text, size_t& i, char32_t& c);

// The offset of the first byte that is not part of well-formed UTF-8, or
// text.size() when all is.
size_t FindInvalidUtf8(std::string_view text);
bool IsUtf8(std::string_view text);

// Encodes a Unicode scalar value (not a surrogate) into out, which has room
// for 4 bytes; returns the byte count.
size_t EncodeUtf8(char32_t c, char* out);
void AppendUtf8(char32_t c, std::string* out);
