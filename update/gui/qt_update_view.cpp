#include "update/gui/qt_update_view.h"

#include <QCoreApplication>
#include <QWidget>

#include "update/gui/option_dialog.h"
#include "update/gui/wprogress.h"
#include "update/update_check.h"
#include "update/update_files.h"

int QtUpdateView::ShowMessageBox(OwnerWindow owner, const char* text, const char* caption,
                                 unsigned style) {
  return messageBoxes_.ShowMessageBox(owner, text, caption, style);
}

bool QtUpdateView::RunOptionDialog(OwnerWindow owner, int& choice) {
  return ::RunOptionDialog(static_cast<QWidget*>(owner), choice);
}

std::unique_ptr<UpdateProgress> QtUpdateView::MakeProgress() { return std::make_unique<WProgress>(); }

void QtUpdateView::PostQuit() { QCoreApplication::quit(); }

void RunUpdateCheckOver(QWidget* owner, bool manual, WReg& settings, MessageBoxView& messageBoxes) {
  QtUpdateView view(messageBoxes);
  UpdateEnvironment environment(settings, view);
  RunUpdateCheck(manual, owner, kUpdateProduct, environment);
}
