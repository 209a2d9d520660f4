#include "app/gui/settings_file_watch.h"

#include <QFile>
#include <QFileInfo>

#include "platform/hive_location.h"

namespace {

constexpr WHive kHives[] = {WHive::LocalMachine, WHive::CurrentUser};
// An editor may write in several steps; one look after they settle.
constexpr int kSettleMs = 200;
// Settings files are small; a larger one is not read here.
constexpr qint64 kLargestSettingsFile = 1 << 20;

QByteArray ReadHive(WHive hive) {
  QFile file(QString::fromStdString(HiveFilePath(hive)));
  if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestSettingsFile) return {};
  return file.readAll();
}

}  // namespace

SettingsFileWatch::SettingsFileWatch(QObject* parent) : QObject(parent) {
  for (int i = 0; i < 2; ++i) seen_[i] = ReadHive(kHives[i]);
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, &SettingsFileWatch::Look);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
  WatchPaths();
}

void SettingsFileWatch::WatchPaths() {
  for (const WHive hive : kHives) {
    const QString path = QString::fromStdString(HiveFilePath(hive));
    if (path.isEmpty()) continue;
    const QString folder = QFileInfo(path).absolutePath();
    // Until the first write makes the folder, its parent tells of it.
    const QString watched = QFileInfo::exists(folder) ? folder : QFileInfo(folder).absolutePath();
    if (QFileInfo::exists(watched) && !watcher_.directories().contains(watched)) watcher_.addPath(watched);
    if (QFileInfo::exists(path) && !watcher_.files().contains(path)) watcher_.addPath(path);
  }
}

void SettingsFileWatch::Look() {
  // A replaced file is a new file to the watcher.
  WatchPaths();
  bool changed = false;
  for (int i = 0; i < 2; ++i) {
    QByteArray now = ReadHive(kHives[i]);
    if (now == seen_[i]) continue;
    seen_[i] = std::move(now);
    changed = true;
  }
  if (changed) emit settingsChanged();
}
