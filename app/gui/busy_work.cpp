#include "app/gui/busy_work.h"

#include <QApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <thread>

void RunBusyWork(const std::function<void()>& work) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QEventLoop loop;
  // A quit posted before exec() starts still ends it: it waits in the queue.
  std::thread worker([&] {
    work();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
  QApplication::restoreOverrideCursor();
}
