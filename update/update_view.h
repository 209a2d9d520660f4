#pragma once

#include <functional>
#include <memory>

#include "ui/message_box_view.h"
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

  // Runs work on a thread of its own and returns once it has finished. The
  // interface thread meanwhile goes on handling events, so windows paint and
  // answer, and runs what PostToInterfaceThread hands it. Should the program
  // be asked to end meanwhile, stop runs once on the interface thread; work
  // must then end soon.
  virtual void RunOffInterfaceThread(const std::function<void()>& work, const std::function<void()>& stop) = 0;
  // From any thread: call runs on the interface thread, soon while
  // RunOffInterfaceThread waits.
  virtual void PostToInterfaceThread(std::function<void()> call) = 0;
};
