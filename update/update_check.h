#pragma once

#include <cstdint>
#include <functional>

#include "settings/setting_catalogue.h"
#include "ui/message_box_view.h"
#include "settings/wreg.h"
#include "update/check_update.h"
#include "update/download_update.h"
#include "update/update_view.h"

inline constexpr uint32_t kUpdateCheckInterval = 604800;  // a week, in seconds

// Calendar time in seconds since 1970, low 32 bits.
uint32_t CurrentCalendarTime32();

// False in a packaged build (QUILLBOX_PACKAGED): the package manager owns the
// installed files, so a found update is announced, never downloaded.
bool InstallerHandOffBuiltIn();

// What the driver works with; the clock, the process exit and the fetches'
// limits are replaceable so its decisions can be checked without waiting a
// week, a deadline or ending the test.
struct UpdateEnvironment {
  UpdateEnvironment(WReg& settingsStore, UpdateView& updateView) : settings(settingsStore), view(updateView) {}

  WReg& settings;
  UpdateView& view;
  std::function<uint32_t()> now = CurrentCalendarTime32;
  std::function<void(int)> exitProcess;  // empty: std::exit
  bool installerHandOff = InstallerHandOffBuiltIn();
  FetchLimits signatureLimits = kSignatureFetchLimits;
  FetchLimits installerLimits = kInstallerFetchLimits;
};

// The automatic (manual false, at start) or requested update check: decides
// whether a check is due, asks how updates are handled, offers a published
// update, downloads it behind a progress dialog and starts its installer, in
// which case the process ends with status 0. Without the installer hand-off
// the offer becomes a note that the package manager installs the update.
// Both fetches run off the interface thread, which keeps handling events
// meanwhile. A call made while another one is still running (from a menu
// during a fetch) returns at once.
void RunUpdateCheck(bool manual, OwnerWindow owner, int product, UpdateEnvironment& environment);
