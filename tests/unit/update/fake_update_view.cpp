#include "tests/unit/update/fake_update_view.h"

int FakeUpdateView::ShowMessageBox(OwnerWindow, const char* text, const char* caption, unsigned style) {
  boxes.push_back({text, caption, style});
  return (style & kMbButtonMask) == kMbYesNo ? yesNoAnswer : kIdOk;
}

bool FakeUpdateView::RunOptionDialog(OwnerWindow, int& choice) {
  optionDialogOpenedWith.push_back(choice);
  if (!optionDialogAccepts) return false;
  choice = optionDialogChoice;
  return true;
}

std::unique_ptr<UpdateProgress> FakeUpdateView::MakeProgress() {
  return std::make_unique<RecordingProgress>(cancelDownloadAtReport);
}
