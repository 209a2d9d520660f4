#pragma once

#include <string>
#include <string_view>

// Text placed into the help page and the manual pages as it is written.

// Troff: a minus is a hyphen and a backslash an escape unless escaped.
std::string TroffText(std::string_view text);
// HTML element content: the markup characters as references.
std::string HtmlText(std::string_view text);
