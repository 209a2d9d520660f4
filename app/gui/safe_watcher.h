#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>

class Quillbox;

// Follows the open safe's file and folder on disk (sync programs replace a
// file by renaming another over it, which only the folder reports) and lets
// the application object decide: reload, look again shortly, or lock. A
// slow poll backs the watcher up where it sees nothing, as on network
// folders. What to do lives in Quillbox::PickUpDiskChange; this only times it,
// and the retries of changes whose save failed.
class SafeWatcher : public QObject {
  Q_OBJECT

 public:
  // lockAndAsk runs when the changed file no longer opens with the password.
  SafeWatcher(Quillbox& app, std::function<void()> lockAndAsk, QObject* parent = nullptr);

  // Looks at once: after log-in, and in tests.
  void LookNow();

 private:
  void Look();
  void FollowOpenSafe();
  // Whether the list may change now: no key derivation runs and no dialog
  // holds entry indexes of the list as it was.
  bool MayTouchList() const;

  Quillbox& app_;
  std::function<void()> lockAndAsk_;
  QFileSystemWatcher watcher_;
  QTimer settle_;  // a burst of events is one look
  QTimer poll_;
  QTimer retrySave_;
};
