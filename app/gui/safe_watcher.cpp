#include "app/gui/safe_watcher.h"

#include <QApplication>
#include <QFileInfo>

#include "app/quillbox.h"
#include "safe/safe_folder.h"
#include "safe/safe_store.h"

namespace {

constexpr int kSettleMs = 150;
constexpr int kRetryMs = 500;
constexpr int kPollMs = 1000;
constexpr int kRetrySaveMs = 5000;

}  // namespace

SafeWatcher::SafeWatcher(Quillbox& app, std::function<void()> lockAndAsk, QObject* parent)
    : QObject(parent), app_(app), lockAndAsk_(std::move(lockAndAsk)) {
  settle_.setSingleShot(true);
  connect(&settle_, &QTimer::timeout, this, &SafeWatcher::Look);
  connect(&poll_, &QTimer::timeout, this, &SafeWatcher::Look);
  auto soon = [this] {
    if (!settle_.isActive()) settle_.start(kSettleMs);
  };
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, soon);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, soon);
  poll_.start(kPollMs);
  connect(&retrySave_, &QTimer::timeout, this, [this] {
    if (app_.IsLoggedIn() && MayTouchList()) app_.RetryUnsavedChanges();
  });
  retrySave_.start(kRetrySaveMs);
}

bool SafeWatcher::MayTouchList() const { return !app_.IsBusy() && QApplication::activeModalWidget() == nullptr; }

void SafeWatcher::LookNow() { Look(); }

// The watcher drops a file that was replaced; it is added again each look.
void SafeWatcher::FollowOpenSafe() {
  QStringList wanted;
  if (app_.IsLoggedIn()) {
    char path[kSafePathCapacity];
    if (BuildSafePath(app_.GetUserName(), path)) {
      QString safe = QString::fromLocal8Bit(path);
      wanted << QFileInfo(safe).absolutePath();
      if (QFileInfo::exists(safe)) wanted << safe;
    }
  }
  QStringList watched = watcher_.files() + watcher_.directories();
  for (const QString& path : watched) {
    if (!wanted.contains(path)) watcher_.removePath(path);
  }
  for (const QString& path : wanted) {
    if (!watched.contains(path)) watcher_.addPath(path);
  }
}

void SafeWatcher::Look() {
  FollowOpenSafe();
  // The poll looks again once the dialog is closed or the derivation has
  // ended; a dialog's own save merges meanwhile.
  if (!app_.IsLoggedIn() || !MayTouchList()) return;
  switch (app_.PickUpDiskChange()) {
    case DiskPickUp::kRetrySoon:
      settle_.start(kRetryMs);
      return;
    case DiskPickUp::kNoLongerOpens:
      lockAndAsk_();
      return;
    case DiskPickUp::kUnchanged:
    case DiskPickUp::kReloaded:
      break;
  }
  app_.MergeConflictCopies();
}
