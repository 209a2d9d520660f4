#pragma once

#include "update/http_fetch.h"

// Short: the check runs while Quillbox starts, and the signature file is small.
inline constexpr FetchLimits kSignatureFetchLimits{5, 5, 64, 64 * 1024, 20};

// Fetches the published signature file from host. True when it differs from
// "current.sig" beside the executable, its signature verifies and it was
// saved as "newupdate.sig" in the private temporary directory. On false the
// update error text holds the reason, or is empty when the published update
// is the installed one.
bool CheckUpdateAvailable(const char* host, int product, bool qa, const FetchLimits& limits = kSignatureFetchLimits);
