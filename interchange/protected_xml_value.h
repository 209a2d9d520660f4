#pragma once

#include <string>

#include "interchange/protected_value_stream.h"

// A protected value in a KDBX file's XML: Base64 of the value's UTF-8
// XORed with the file's inner stream, which moves on by the value's length.

// Replaces the Base64 text with the value it protects, in place; false
// when the text is no Base64 (the stream is then not moved).
bool RevealProtectedValue(ProtectedValueStream& stream, std::string* text);
// Appends the protected form of value to out, which must have room for it
// (out grows no copy of anything); value is XORed in place, so it no longer
// holds the value afterwards.
void AppendProtectedValue(ProtectedValueStream& stream, std::string* value, std::string* out);
// The room AppendProtectedValue takes for a value of that many bytes.
size_t ProtectedValueRoom(size_t value_bytes);
