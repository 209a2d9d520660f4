#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT end the event loop instead of the process, so
// the exit path runs as after File > Exit, without questions: the open safe
// closes as a lock closes it (its SSH keys leave the agent, a change not
// yet saved is tried once more) and the clipboard is cleared with the window.
class TerminationWatch : public QObject {
  Q_OBJECT

 public:
  explicit TerminationWatch(QObject* parent = nullptr);

  // The signal that ended the loop, or 0.
  int Signal() const { return signal_; }
  // What the process returns after such a signal, as a shell reports it.
  int ExitCode() const { return signal_ == 0 ? 0 : 128 + signal_; }

 private:
  void OnSignal();

  QSocketNotifier* notifier_ = nullptr;
  int signal_ = 0;
};
