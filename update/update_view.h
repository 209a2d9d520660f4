#pragma once

#include <memory>

#include "platform/message_box_view.h"
#include "update/update_progress.h"

// What the update driver needs from the window system besides message boxes.
// The Qt layer implements it; tests answer it directly.
class UpdateView : public MessageBoxView {
 public:
  // The "Automatic Updates" dialog: opens with choice's radio button set;
  // true and the new choice (0, 1 or 2) only when closed with OK.
  virtual bool RunOptionDialog(OwnerWindow owner, int& choice) = 0;
  // A progress dialog, not shown until its Create.
  virtual std::unique_ptr<UpdateProgress> MakeProgress() = 0;
  // Asks the main loop to end once control returns to it.
  virtual void PostQuit() = 0;
};
