#pragma once

#include <string_view>

#include "core/secret_text.h"

// URI percent-encoding (RFC 3986) for texts that may be secret.

// Decodes %XX escapes, %00 included; '+' stays '+'. False on a broken
// escape, with out wiped. What a decoded text may hold is the caller's rule.
bool PercentDecode(std::string_view text, SecretText& out);

// Escapes every byte but the unreserved ones (letters, digits, "-._~") and
// those in keep.
void PercentEncode(std::string_view text, std::string_view keep, SecretText& out);
