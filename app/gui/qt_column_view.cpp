#include "app/gui/qt_column_view.h"

#include <QHeaderView>

int QtColumnView::GetColumnWidth(int column) {
  return column >= 0 && column < header_.count() ? header_.sectionSize(column) : 0;
}

void QtColumnView::SetColumnWidth(int column, int width) { header_.resizeSection(column, width); }
