#pragma once

#include <QTableView>

// The report view of the entries: several rows selectable, full-row
// selection, grid lines, no built-in sorting or editing.
class EntryListView : public QTableView {
  Q_OBJECT

 public:
  static constexpr int kInitialColumnWidth = 100;

  explicit EntryListView(QWidget* parent = nullptr);

 signals:
  // A double-click on a row (true) or on the empty part below the rows.
  void entryDoubleClicked(bool onRow);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};
