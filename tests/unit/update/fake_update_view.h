#pragma once

#include <memory>
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

  int ShowMessageBox(OwnerWindow, const char* text, const char* caption, unsigned style) override {
    boxes.push_back({text, caption, style});
    return (style & kMbButtonMask) == kMbYesNo ? yesNoAnswer : kIdOk;
  }
  bool RunOptionDialog(OwnerWindow, int& choice) override {
    optionDialogOpenedWith.push_back(choice);
    if (!optionDialogAccepts) return false;
    choice = optionDialogChoice;
    return true;
  }
  std::unique_ptr<UpdateProgress> MakeProgress() override {
    auto progress = std::make_unique<RecordingProgress>(cancelDownloadAtReport);
    lastProgress = progress.get();
    return progress;
  }
  void PostQuit() override { ++quitsPosted; }

  // Answers.
  int yesNoAnswer = kIdNo;
  bool optionDialogAccepts = true;
  int optionDialogChoice = 0;
  size_t cancelDownloadAtReport = 0;

  // Observations.
  std::vector<Box> boxes;
  std::vector<int> optionDialogOpenedWith;
  RecordingProgress* lastProgress = nullptr;  // valid only inside the check
  int quitsPosted = 0;
};
