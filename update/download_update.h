#pragma once

#include "update/checked_installer.h"
#include "update/http_fetch.h"
#include "update/update_progress.h"

// Longer than the check's: the user asked for this download and watches it.
// Still bounded, so a server that trickles for ever cannot hold it open.
inline constexpr FetchLimits kInstallerFetchLimits{15, 30, 1024, 512ull * 1024 * 1024, 30 * 60};

// Fetches the installer from host behind the shown progress dialog, saves it
// as "newupdate.exe" in the private temporary directory and compares the MD5
// digest of the saved file, read back through the descriptor that installer
// then holds, with the first 16 bytes of the accepted "newupdate.sig". On
// false the update error text holds the reason, or is empty when the fetch
// failed or was cancelled.
bool DownloadUpdate(const char* host, int product, UpdateProgress* progress, bool qa, CheckedInstaller& installer,
                    const FetchLimits& limits = kInstallerFetchLimits);
