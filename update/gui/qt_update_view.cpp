#include "update/gui/qt_update_view.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QWidget>

#include <atomic>
#include <thread>

#include "update/gui/option_dialog.h"
#include "update/gui/wprogress.h"
#include "update/update_check.h"
#include "update/update_files.h"

int QtUpdateView::ShowMessageBox(OwnerWindow owner, const char* text, const char* caption, unsigned style) {
  return messageBoxes_.ShowMessageBox(owner, text, caption, style);
}

bool QtUpdateView::RunOptionDialog(OwnerWindow owner, int& choice) {
  return ::RunOptionDialog(static_cast<QWidget*>(owner), choice);
}

std::unique_ptr<UpdateProgress> QtUpdateView::MakeProgress() { return std::make_unique<WProgress>(); }

void QtUpdateView::PostQuit() { QCoreApplication::quit(); }

void QtUpdateView::RunOffInterfaceThread(const std::function<void()>& work, const std::function<void()>& stop) {
  QEventLoop loop;
  std::atomic<bool> finished = false;
  std::thread worker([&] {
    work();
    finished = true;
    // Queued: a quit that arrives before the loop runs still ends it.
    QMetaObject::invokeMethod(
        &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
  });
  if (!finished) loop.exec();
  // The loop ends before the work only when the program is asked to end.
  if (!finished && stop) stop();
  worker.join();
}

void QtUpdateView::PostToInterfaceThread(std::function<void()> call) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
}

void RunUpdateCheckOver(QWidget* owner, bool manual, WReg& settings, MessageBoxView& messageBoxes) {
  QtUpdateView view(messageBoxes);
  UpdateEnvironment environment(settings, view);
  RunUpdateCheck(manual, owner, kUpdateProduct, environment);
}
