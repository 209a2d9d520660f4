#pragma once

#include "settings/column_view.h"

class QHeaderView;

// Column widths over a header view.
class QtColumnView : public WColumnView {
 public:
  explicit QtColumnView(QHeaderView& header) : header_(header) {}

  int GetColumnWidth(int column) override;
  void SetColumnWidth(int column, int width) override;

 private:
  QHeaderView& header_;
};
