#include "app/gui/termination_watch.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include "platform/termination_signals.h"

TerminationWatch::TerminationWatch(QObject* parent) : QObject(parent) {
  const int fd = CatchTerminationSignals();
  if (fd < 0) return;
  notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationWatch::OnSignal);
}

void TerminationWatch::OnSignal() {
  const int number = TakeTerminationSignal(static_cast<int>(notifier_->socket()));
  if (number == 0 || signal_ != 0) return;
  signal_ = number;
  // Every loop ends, a dialog's included; one opened on the way out ends at once.
  QCoreApplication::exit(ExitCode());
}
