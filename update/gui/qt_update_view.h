#pragma once

#include "update/update_view.h"

class QWidget;
class WReg;

// The update driver's dialogs as Qt shows them; message boxes go to the
// application's own message-box seam.
class QtUpdateView : public UpdateView {
 public:
  explicit QtUpdateView(MessageBoxView& messageBoxes) : messageBoxes_(messageBoxes) {}

  int ShowMessageBox(OwnerWindow owner, const char* text, const char* caption, unsigned style) override;
  bool RunOptionDialog(OwnerWindow owner, int& choice) override;
  std::unique_ptr<UpdateProgress> MakeProgress() override;
  void PostQuit() override;
  void RunOffInterfaceThread(const std::function<void()>& work, const std::function<void()>& stop) override;
  void PostToInterfaceThread(std::function<void()> call) override;

 private:
  MessageBoxView& messageBoxes_;
};

// RunUpdateCheck with Qt dialogs over owner (the entry list at start, the
// main window for the menu command), the given settings store and message boxes.
void RunUpdateCheckOver(QWidget* owner, bool manual, WReg& settings, MessageBoxView& messageBoxes);
