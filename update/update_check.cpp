#include "update/update_check.h"

#include <cstdlib>
#include <ctime>

#include "update/check_update.h"
#include "update/cross_thread_progress.h"
#include "update/download_update.h"
#include "update/run_installer.h"
#include "update/update_error.h"
#include "update/update_files.h"

namespace {

constexpr const char* kNoUpdateText = "No new updates are available at this time";
constexpr const char* kNoUpdateCaption = "Software is Current";
constexpr const char* kCheckFailedText = "The check for updates could not be made.\r\n";
constexpr const char* kOfferText = "A new update is available, Would you like to install?";
constexpr const char* kOfferCaption = "Install New Update?";
constexpr const char* kErrorCaption = "ERROR";
constexpr const char* kDownloadFailed = "Downloading automatic update failed";
constexpr const char* kInstallerFailed = "Error running automatic update";
constexpr const char* kPackagedUpdateText =
    "A new update is available. Please install it with your package manager, which installed "
    "Quillbox.";
constexpr const char* kPackagedUpdateCaption = "New Update Available";

constexpr int kChooseCheckOnce = 0;
constexpr int kChooseAutomatic = 1;
constexpr int kChooseNever = 2;
constexpr uint32_t kProgressRange = 100;

bool checkRunning = false;

// Clears the running mark on every way out of the check.
struct RunningMark {
  RunningMark() { checkRunning = true; }
  ~RunningMark() { checkRunning = false; }
  RunningMark(const RunningMark&) = delete;
  RunningMark& operator=(const RunningMark&) = delete;
};

std::string UpdateServer(WReg& settings) {
  char host[kUpdateServerSetting.capacity];
  settings.ReadSetting(kUpdateServerSetting, host);
  return host[0] != '\0' ? host : kUpdateServerHost;
}

void ShowError(UpdateView& view, OwnerWindow owner, const char* fallback) {
  const cpString& error = UpdateErrorText();
  view.ShowMessageBox(owner, error.empty() ? fallback : error.c_str(), kErrorCaption, kMbOk | kMbIconError);
}

// True when the automatic run should go on to check (asking first unless the
// standing choice is to check).
bool AutomaticCheckDue(WReg& settings, uint32_t now) {
  int last = 0;
  settings.ReadSetting(kLastUpdateCheckTimeSetting, &last);
  if (last == 0) {
    // The first run only starts the clock.
    settings.SetSettingInt(kLastUpdateCheckTimeSetting.name, static_cast<int>(now));
    return false;
  }
  // Signed: a clock set back postpones the check instead of forcing it.
  const auto elapsed = static_cast<int32_t>(now - static_cast<uint32_t>(last));
  return elapsed >= static_cast<int32_t>(kUpdateCheckInterval);
}

// The option dialog, always opening on "just once"; false to stop here.
bool AskHowToUpdate(UpdateEnvironment& environment, OwnerWindow owner) {
  int choice = kChooseCheckOnce;
  if (!environment.view.RunOptionDialog(owner, choice)) return false;
  if (choice != kChooseCheckOnce) environment.settings.SetSettingInt(kUpdateCheckOptionSetting.name, choice);
  return choice != kChooseNever;
}

void OfferUpdate(UpdateEnvironment& environment, OwnerWindow owner, int product, bool qa, const std::string& host,
                 UpdateProgress& progress) {
  UpdateView& view = environment.view;
  if (view.ShowMessageBox(owner, kOfferText, kOfferCaption, kMbYesNo) != kIdYes) return;

  progress.Create(owner, kProgressRange);
  CheckedInstaller installer;
  bool downloaded = false;
  {
    CrossThreadProgress reports(progress, view);
    view.RunOffInterfaceThread(
        [&] {
          downloaded = DownloadUpdate(host.c_str(), product, &reports, qa, installer, environment.installerLimits);
        },
        [&reports] { reports.Stop(); });
  }
  progress.Close();
  if (!downloaded) {
    ShowError(view, owner, kDownloadFailed);
    return;
  }
  if (!RunUpdateInstaller(installer, [&view] { view.PostQuit(); })) {
    ShowError(view, owner, kInstallerFailed);
    return;
  }
  // The installer replaces this program: end now, before any window reacts.
  if (environment.exitProcess) {
    environment.exitProcess(0);
  } else {
    std::exit(0);
  }
}

}  // namespace

bool InstallerHandOffBuiltIn() {
#ifdef QUILLBOX_PACKAGED
  return false;
#else
  return true;
#endif
}

uint32_t CurrentCalendarTime32() { return static_cast<uint32_t>(std::time(nullptr)); }

void RunUpdateCheck(bool manual, OwnerWindow owner, int product, UpdateEnvironment& environment) {
  if (checkRunning) return;
  RunningMark running;
  WReg& settings = environment.settings;

  int option = 0;
  settings.ReadSetting(kUpdateCheckOptionSetting, &option);
  if (option < kChooseCheckOnce || option > kChooseNever) option = kChooseCheckOnce;
  if (!manual && option == kChooseNever) return;

  const bool qa = settings.ReadFlagSetting(kQaModeSetting);
  const uint32_t now = environment.now();
  if (!manual && !AutomaticCheckDue(settings, now)) return;
  if ((manual || option != kChooseAutomatic) && !AskHowToUpdate(environment, owner)) return;

  settings.SetSettingInt(kLastUpdateCheckTimeSetting.name, static_cast<int>(now));
  std::unique_ptr<UpdateProgress> progress = environment.view.MakeProgress();
  const std::string host = UpdateServer(settings);
  // Bounded by its deadline, so an ending program waits for it at most that long.
  bool available = false;
  environment.view.RunOffInterfaceThread(
      [&] { available = CheckUpdateAvailable(host.c_str(), product, qa, environment.signatureLimits); }, {});
  if (available) {
    if (environment.installerHandOff) {
      OfferUpdate(environment, owner, product, qa, host, *progress);
    } else {
      environment.view.ShowMessageBox(owner, kPackagedUpdateText, kPackagedUpdateCaption, kMbOk | kMbIconInformation);
    }
  } else if (manual && !UpdateErrorText().empty()) {
    // A check that could not be made is not "nothing new".
    const std::string text = std::string(kCheckFailedText) + UpdateErrorText();
    environment.view.ShowMessageBox(owner, text.c_str(), kErrorCaption, kMbOk | kMbIconError);
  } else if (manual) {
    environment.view.ShowMessageBox(owner, kNoUpdateText, kNoUpdateCaption, kMbOk);
  }
}
