#pragma once

// What column persistence needs from a list view with columns. The GUI
// layer implements it over its list widget.
class WColumnView {
 public:
  virtual ~WColumnView() = default;

  // The width of column number column (from 0); 0 when there is no such column.
  virtual int GetColumnWidth(int column) = 0;
  virtual void SetColumnWidth(int column, int width) = 0;
};
