#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/unit/update/recording_progress.h"
#include "update/update_view.h"

// Answers the driver's dialogs as a test tells it and records what was shown.
class FakeUpdateView : public UpdateView {
 public:
  struct Box {
    std::string text;
    std::string caption;
    unsigned style;
  };

  int ShowMessageBox(OwnerWindow owner, const char* text, const char* caption, unsigned style) override;
  bool RunOptionDialog(OwnerWindow owner, int& choice) override;
  std::unique_ptr<UpdateProgress> MakeProgress() override;
  void PostQuit() override { ++quitsPosted; }
  // Really on another thread: the test's thread serves what is posted to it.
  void RunOffInterfaceThread(const std::function<void()>& work, const std::function<void()>& stop) override;
  void PostToInterfaceThread(std::function<void()> call) override;

  // Answers.
  int yesNoAnswer = kIdNo;
  bool optionDialogAccepts = true;
  int optionDialogChoice = 0;
  size_t cancelDownloadAtReport = 0;

  // Observations.
  std::vector<Box> boxes;
  std::vector<int> optionDialogOpenedWith;
  int quitsPosted = 0;

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> calls_;
  bool workDone_ = false;
};
