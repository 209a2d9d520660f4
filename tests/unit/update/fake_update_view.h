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

  int ShowMessageBox(OwnerWindow owner, const char* text, const char* caption, unsigned style) override;
  bool RunOptionDialog(OwnerWindow owner, int& choice) override;
  std::unique_ptr<UpdateProgress> MakeProgress() override;
  void PostQuit() override { ++quitsPosted; }

  // Answers.
  int yesNoAnswer = kIdNo;
  bool optionDialogAccepts = true;
  int optionDialogChoice = 0;
  size_t cancelDownloadAtReport = 0;

  // Observations.
  std::vector<Box> boxes;
  std::vector<int> optionDialogOpenedWith;
  int quitsPosted = 0;
};
