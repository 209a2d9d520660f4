#pragma once

#include "update/http_fetch.h"
#include "update/update_progress.h"

// Longer than the check's: the user asked for this download and watches it.
inline constexpr FetchLimits kInstallerFetchLimits{15, 30, 1024, 512ull * 1024 * 1024};

// Fetches the installer from host behind the shown progress dialog, saves it
// as "newupdate.exe" in the private temporary directory and compares its MD5
// digest with the first 16 bytes of the accepted "newupdate.sig". On false
// the update error text holds the reason, or is empty when the fetch failed
// or was cancelled.
bool DownloadUpdate(const char* host, int product, UpdateProgress* progress, bool qa);
