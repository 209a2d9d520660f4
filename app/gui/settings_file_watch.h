#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

// Tells when either settings file's contents change, by an edit, another
// program or our own writes. Writers replace the files atomically, so the
// folders are watched as well as the files.
class SettingsFileWatch : public QObject {
  Q_OBJECT

 public:
  explicit SettingsFileWatch(QObject* parent = nullptr);

 signals:
  void settingsChanged();

 private:
  void Look();
  void WatchPaths();

  QFileSystemWatcher watcher_;
  QTimer settle_;
  QByteArray seen_[2];
};
