#include "cli/cli_view.h"

#include <string>

#include "cli/user_input.h"

namespace {

std::string OneLine(const char* text) {
  std::string line;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\r' && p[1] == '\n') continue;
    line.push_back(*p == '\n' || *p == '\r' ? ' ' : *p);
  }
  return line;
}

}  // namespace

void PrintCliMessage(FILE* errors, const char* text) {
  std::fprintf(errors, "quillbox-cli: %s\n", OneLine(text).c_str());
}

CliView::CliView(UserInput* input, bool assume_yes, FILE* errors)
    : input_(input), assume_yes_(assume_yes), errors_(errors) {}

int CliView::ShowMessageBox(OwnerWindow, const char* text, const char* caption, unsigned style) {
  if ((style & kMbButtonMask) != kMbYesNo) {
    PrintCliMessage(errors_, text);
    return kIdOk;
  }
  if (assume_yes_) return kIdYes;
  if (input_->CanAsk() && input_->AskYesNo((std::string(caption) + ": " + OneLine(text)).c_str())) {
    return kIdYes;
  }
  declined_question_ = true;
  return kIdNo;
}

bool CliView::RefreshList() {
  // A rebuilt list has no selection.
  selected_.clear();
  return true;
}

void CliView::SetMenuItemEnabled(int, bool) {}

void CliView::SetMenuItemChecked(int, bool) {}

int CliView::GetRowCount() { return static_cast<int>(selected_.size()); }

bool CliView::IsRowSelected(int row) {
  return row >= 0 && static_cast<size_t>(row) < selected_.size() && selected_[row];
}

bool CliView::GetRowEntryIndex(int row, int& entryIndex) {
  if (row < 0 || static_cast<size_t>(row) >= selected_.size()) return false;
  entryIndex = row;
  return true;
}

void CliView::SelectEntries(std::vector<bool> selected) { selected_ = std::move(selected); }
