#pragma once

#include <string_view>

// The host part of a URL ("https://user@mail.example.com:8443/x" gives
// "mail.example.com"); a bare "example.com/login" gives "example.com".
std::string_view HostOfUrl(std::string_view url);
