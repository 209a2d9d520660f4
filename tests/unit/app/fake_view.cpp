#include "tests/unit/app/fake_view.h"

#include <utility>

// Unscripted boxes answer as if closed: No for a question, Cancel for
// unsaved changes, OK otherwise.
int FakeView::ShowMessageBox(OwnerWindow, const char* text, const char* caption, unsigned style) {
  boxes.push_back({text, caption, style});
  if (duringQuestion) std::exchange(duringQuestion, nullptr)();
  if (answers.empty()) {
    switch (style & kMbButtonMask) {
      case kMbYesNo:
        return kIdNo;
      case kMbRetryDiscardCancel:
        return kIdCancel;
      default:
        return kIdOk;
    }
  }
  int answer = answers.front();
  answers.pop_front();
  return answer;
}

bool FakeView::RefreshList() {
  ++refreshes;
  return true;
}

void FakeView::SetMenuItemEnabled(int commandId, bool enabled) { menuCalls.emplace_back(commandId, enabled); }

void FakeView::SetMenuItemChecked(int, bool) {}

int FakeView::GetRowCount() { return static_cast<int>(rows.size()); }

bool FakeView::IsRowSelected(int row) { return rows.at(row).selected; }

bool FakeView::GetRowEntryIndex(int row, int& entryIndex) {
  entryIndex = rows.at(row).entryIndex;
  return entryIndex != kUnreadableRow;
}

void FakeView::SelectEntryIndexes(const std::vector<uint32_t>& entryIndexes) { selections.push_back(entryIndexes); }

void FakeView::ShowStatus(const char* text) { notes.emplace_back(text); }

void FakeView::RunBusy(const std::function<void()>& work) {
  ++busyRuns;
  work();
  if (duringBusy) duringBusy();
}

bool FakeView::AskFileKey(OwnerWindow, const FileKeyRequest& request, FileKeyAnswer* answer) {
  fileKeyRequests.push_back(request);
  if (fileKeys.empty()) return false;
  *answer = std::move(fileKeys.front());
  fileKeys.pop_front();
  return true;
}

QuillboxView::SafePasswordAnswer FakeView::AskSafePassword(OwnerWindow, const char*, const char* prompt, const char*,
                                                           const std::function<bool(const char*)>& opens) {
  if (safePasswords.empty()) return SafePasswordAnswer::kNotAsked;
  safePasswordPrompts.push_back(prompt);
  const std::string password = std::move(safePasswords.front());
  safePasswords.pop_front();
  return opens(password.c_str()) ? SafePasswordAnswer::kOpened : SafePasswordAnswer::kRefused;
}
