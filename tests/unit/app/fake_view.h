#pragma once

#include <deque>
#include <map>
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

  int ShowMessageBox(OwnerWindow, const char* text, const char* caption, unsigned style) override {
    boxes.push_back({text, caption, style});
    if (answers.empty()) return (style & kMbButtonMask) == kMbYesNo ? kIdNo : kIdOk;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool RefreshList() override {
    ++refreshes;
    return true;
  }
  void SetMenuItemEnabled(int commandId, bool enabled) override {
    menuCalls.emplace_back(commandId, enabled);
    enabledItems[commandId] = enabled;
  }
  void SetMenuItemChecked(int commandId, bool checked) override {
    checkedItems[commandId] = checked;
  }
  int GetRowCount() override { return static_cast<int>(rows.size()); }
  bool IsRowSelected(int row) override { return rows.at(row).selected; }
  bool GetRowEntryIndex(int row, int& entryIndex) override {
    entryIndex = rows.at(row).entryIndex;
    return entryIndex != kUnreadableRow;
  }

  static constexpr int kUnreadableRow = -100;

  std::deque<int> answers;
  std::vector<Box> boxes;
  std::vector<std::pair<int, bool>> menuCalls;
  std::map<int, bool> enabledItems;
  std::map<int, bool> checkedItems;
  std::vector<Row> rows;
  int refreshes = 0;
};
