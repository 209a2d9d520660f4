#pragma once

#include <cstdio>
#include <vector>

#include "app/quillbox_view.h"

class UserInput;

// The window system as quillbox-cli sees it: messages go to standard error
// as one line, the "list view" is the entry list in stored order with the
// rows the command line named selected, and a Yes/No question is answered
// Yes by --yes, asked on a terminal, or else answered No.
class CliView : public QuillboxView {
 public:
  CliView(UserInput* input, bool assume_yes, FILE* errors);

  int ShowMessageBox(OwnerWindow owner, const char* text, const char* caption, unsigned style) override;
  bool RefreshList() override;
  void SetMenuItemEnabled(int commandId, bool enabled) override;
  void SetMenuItemChecked(int commandId, bool checked) override;
  int GetRowCount() override;
  bool IsRowSelected(int row) override;
  bool GetRowEntryIndex(int row, int& entryIndex) override;
  // Each command reports its own failure with its exit status.
  void ShowSaveFailure(OwnerWindow, const char*, const char*) override {}

  // One flag per entry; rows and entries are the same here.
  void SelectEntries(std::vector<bool> selected);
  // Whether a question was answered No.
  bool DeclinedQuestion() const { return declined_question_; }

 private:
  UserInput* input_;
  bool assume_yes_;
  FILE* errors_;
  std::vector<bool> selected_;
  bool declined_question_ = false;
};

// Writes "quillbox-cli: " and text on one line (line breaks become spaces).
void PrintCliMessage(FILE* errors, const char* text);
