#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Safe fields are bytes: UTF-8 as this program writes them, a Windows code
// page in safes the older Windows program wrote. Every place that shows,
// filters, prints or exports a field reads it by one rule: well-formed UTF-8
// as it is, anything else byte by byte as Windows-1252, the code page that
// program wrote on Western systems (a superset of Latin-1's letters, with
// the euro sign and typographic quotes at 0x80-0x9F).

// The character a byte of a legacy field stands for (Windows-1252; the
// five places that code page leaves undefined keep their C1 value).
char32_t LegacyByteCodePoint(unsigned char byte);

// Appends a field as UTF-8 by the rule above.
void AppendFieldAsUtf8(std::string_view field, std::string* out);
