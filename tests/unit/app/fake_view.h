#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/quillbox_view.h"

// A window system for the model's tests: records menu changes, refreshes and
// message boxes, answers the boxes from a script and offers a list of rows.
class FakeView : public QuillboxView {
 public:
  struct Box {
    std::string text;
    std::string caption;
    unsigned style;
  };
  struct Row {
    int entryIndex;
    bool selected;
  };

  int ShowMessageBox(OwnerWindow owner, const char* text, const char* caption, unsigned style) override;
  bool RefreshList() override;
  void SetMenuItemEnabled(int commandId, bool enabled) override;
  // The model never ticks items; nothing to record.
  void SetMenuItemChecked(int commandId, bool checked) override;
  int GetRowCount() override;
  bool IsRowSelected(int row) override;
  // An entry index of kUnreadableRow makes the row unreadable.
  bool GetRowEntryIndex(int row, int& entryIndex) override;
  void SelectEntryIndexes(const std::vector<uint32_t>& entryIndexes) override;
  void ShowStatus(const char* text) override;
  // Counted: each is one key derivation.
  void RunBusy(const std::function<void()>& work) override;
  // Answered from fileKeys in turn; cancelled when they run out.
  bool AskFileKey(OwnerWindow owner, const FileKeyRequest& request, FileKeyAnswer* answer) override;
  // Answered from safePasswords in turn, the prompt kept; not asked when
  // they run out.
  SafePasswordAnswer AskSafePassword(OwnerWindow owner, const char* userName, const char* prompt, const char* refusal,
                                     const std::function<bool(const char* password)>& opens) override;

  static constexpr int kUnreadableRow = -100;

  std::deque<int> answers;
  std::vector<Box> boxes;
  std::vector<std::pair<int, bool>> menuCalls;
  std::vector<Row> rows;
  int refreshes = 0;
  std::vector<std::vector<uint32_t>> selections;
  std::vector<std::string> notes;
  int busyRuns = 0;
  std::deque<FileKeyAnswer> fileKeys;
  std::vector<FileKeyRequest> fileKeyRequests;
  std::deque<std::string> safePasswords;
  std::vector<std::string> safePasswordPrompts;
  // Runs after the work of RunBusy, as events handled during the wait would.
  std::function<void()> duringBusy;
  // Runs once while the next message box is up, as events handled then would.
  std::function<void()> duringQuestion;
};
